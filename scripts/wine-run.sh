#!/usr/bin/env bash
# Runs a Windows program of the build under Wine: the emulator the Windows build's tests run
# through. The Wine prefix lives in the build folder (KX_WINEPREFIX overrides it) and is made on
# first use. Windows need a display: the one in DISPLAY, or a private Xvfb for this run.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
wine="$(command -v wine64 || true)"
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
wineserver="$(command -v wineserver || true)"
[ -n "$wineserver" ] || wineserver=/usr/lib/wine/wineserver
export WINEPREFIX="${KX_WINEPREFIX:-$here/build/wine-prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko: nothing here needs them, and Wine would offer to download them.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=d}"
export WINEARCH=win64

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot --init >/dev/null 2>&1 || true
  # Wine's own desktop, as on Windows: with no window manager on the display, Wine would wait two
  # seconds for one each time a window is hidden.
  "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || true
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1 || true
  "$wineserver" -w || true
fi

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$wine" "$@"
fi
exec "$wine" "$@"
