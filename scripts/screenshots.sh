#!/usr/bin/env bash
# Photographs every window of the add-in as Windows draws it (under Wine, on a private Xvfb) into
# docs/windows/: the progress window asking and running, the result window, the colour chooser,
# the Duplicate Preventer, the About window and a message box.
#
#   scripts/screenshots.sh [BUILD_DIR]     (default build/windows, made by the windows preset)
#
# Needs ImageMagick's import (Debian package imagemagick) besides Wine and Xvfb.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$here/build/windows}" && pwd)"
program="$build/tests/windows/win32ui/win32ui_screens.exe"
out="$here/docs/windows"
[ -f "$program" ] || { echo "screenshots: build $program first" >&2; exit 1; }
command -v import >/dev/null || { echo "screenshots: ImageMagick's import is missing (apt-get install imagemagick)" >&2; exit 1; }
mkdir -p "$out"

display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
export DISPLAY=":$display"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done

export KX_WINEPREFIX="${KX_WINEPREFIX:-$build/wine-screens}"
# Wine's own desktop, the size of the display: with no window manager on it, Wine then draws
# the title bars and hands the activation over itself, as Windows would.
"$here/scripts/wine-run.sh" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
"$here/scripts/wine-run.sh" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1

coproc SCREENS { "$here/scripts/wine-run.sh" "$program"; }
screens_pid=$SCREENS_PID
while read -r -u "${SCREENS[0]}" line; do
  read -r word name left top right bottom <<<"${line%$'\r'}"
  [ "$word" = DONE ] && break
  [ "$word" = SHOT ] || continue
  import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$out/$name.png"
  echo "screenshots: $out/$name.png"
  echo next >&"${SCREENS[1]}"
done
# Wine's desktop lingers after the program; the prefix's server ends it.
WINEPREFIX="$KX_WINEPREFIX" "$(command -v wineserver || echo /usr/lib/wine/wineserver)" -k 2>/dev/null || true
wait "$screens_pid" || true
