#!/usr/bin/env bash
# Runs a Windows program of the build under Wine: the emulator the Windows build's tests run
# through. The Wine prefix lives in the build folder (KX_WINEPREFIX overrides it) and is made on
# first use. Windows need a display: the one in DISPLAY, or a private Xvfb for this run.
#
# Wine's server process has been seen to die under load on a shared machine, taking the program
# with it ("wineserver crashed", "the wine server failed to run"). That says nothing of the
# program, so such a run is stopped and made again, on a prefix made afresh, up to three times in
# all; any other failure is the program's own and is passed on at once.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

wine="$(command -v wine64 || true)"
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
wineserver="$(command -v wineserver || true)"
[ -n "$wineserver" ] || wineserver=/usr/lib/wine/wineserver
export WINEPREFIX="${KX_WINEPREFIX:-$here/build/wine-prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko: nothing here needs them, and Wine would offer to download them.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=d}"
export WINEARCH=win64

make_prefix() {
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot --init >/dev/null 2>&1 || true
  # Wine's own desktop, as on Windows: with no window manager on the display, Wine would wait two
  # seconds for one each time a window is hidden.
  "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || true
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1 || true
  "$wineserver" -w || true
  # This prefix is this script's own: after a failed server it may be made again from nothing.
  : >"$WINEPREFIX/.made-by-wine-run"
}

# Wine's own words when its server process, not the program, failed.
server_failed='wineserver crashed|wine server failed to run|wine server never started|wine server seems to be running|wine client error'

# Every Wine process of this prefix. After its server died they would wait for it forever.
kill_prefix_processes() {
  local proc
  for proc in /proc/[0-9]*; do
    case "$(readlink "$proc/exe" 2>/dev/null || true)" in *wine*) ;; *) continue ;; esac
    if tr '\0' '\n' <"$proc/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      kill -KILL "${proc#/proc/}" 2>/dev/null || true
    fi
  done
}

# The folder the prefix's server works in, named after the prefix's device and inode.
server_folder() {
  local device inode
  read -r device inode < <(stat -c '%d %i' "$WINEPREFIX" 2>/dev/null) || return 0
  printf 'server-%x-%x' "$device" "$inode"
}

# Whether a server works in that folder, whatever spelling of the prefix's path it was started
# with.
server_running() {
  local proc
  [ -n "$1" ] || return 1
  for proc in /proc/[0-9]*; do
    case "$(readlink "$proc/exe" 2>/dev/null || true)" in *wineserver*) ;; *) continue ;; esac
    case "$(readlink "$proc/cwd" 2>/dev/null || true)" in */"$1") return 0 ;; esac
  done
  return 1
}

# The server's own stderr goes to a log beside the prefix, so that its death is seen whichever
# run started it; the program's errors go to a file, read for the client's side of it.
server_log="$WINEPREFIX.server.log"
errors="$(mktemp)"
died="$errors.died"
trap 'rm -f "$errors" "$died"' EXIT
# What the server logged since this run began.
server_said() { tail -c "+$((seen + 1))" "$server_log" 2>/dev/null || true; }
for attempt in 1 2 3; do
  if [ ! -f "$WINEPREFIX/system.reg" ]; then make_prefix; fi
  folder="$(server_folder)"
  seen="$(stat -c %s "$server_log" 2>/dev/null || echo 0)"
  # Starts a server unless one already serves the prefix (then it leaves at once, status 2).
  "$wineserver" 2>>"$server_log" || true
  # Started in the background, a program would read /dev/null unless given the script's input.
  "$wine" "$@" <&0 2>"$errors" &
  program=$!
  # A program whose server died mid-run never ends by itself: it is stopped once the log says
  # so, or once no server has served the prefix for two looks running.
  rm -f "$died"
  (
    missed=0
    while kill -0 "$program" 2>/dev/null; do
      sleep 1
      if server_running "$folder"; then missed=0; else missed=$((missed + 1)); fi
      if [ "$missed" -ge 2 ] || grep -Eq "$server_failed" <<<"$(server_said)"; then
        : >"$died"
        kill_prefix_processes
        break
      fi
    done
  ) </dev/null >/dev/null 2>&1 &
  watchdog=$!
  status=0
  wait "$program" || status=$?
  kill "$watchdog" 2>/dev/null || true
  wait "$watchdog" 2>/dev/null || true
  cat "$errors" >&2
  [ "$status" -ne 0 ] || exit 0
  said="$(server_said)"
  if [ ! -f "$died" ] && ! grep -Eq "$server_failed" "$errors" &&
    ! grep -Eq "$server_failed" <<<"$said"; then
    exit "$status"
  fi
  [ -z "$said" ] || echo "$said" >&2
  # What the machine had left, for whoever reads the log: a full disk or memory kills the server.
  { df -h "$(dirname "$WINEPREFIX")" /tmp; free -m; } >&2 2>/dev/null || true
  [ "$attempt" -lt 3 ] || break
  echo "wine-run: the Wine server failed (run $attempt of 3, exit $status); starting it afresh" >&2
  "$wineserver" -k 2>/dev/null || true
  kill_prefix_processes
  "$wineserver" -w 2>/dev/null || true
  # The run that was cut short may have left the prefix half changed (a package half installed,
  # a registration half written), which the next run would take for the program's doing.
  if [ -f "$WINEPREFIX/.made-by-wine-run" ]; then rm -rf "$WINEPREFIX"; fi
  sleep "$attempt"
done
exit "$status"
