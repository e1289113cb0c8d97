#!/usr/bin/env bash
# Makes sure $WINEPREFIX exists and is ready for our programs; safe to call from parallel tests.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must be set}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
mkdir -p "$WINEPREFIX"
exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -f "$WINEPREFIX/.dravosk-ready" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
    # Without a window manager Wine must manage its own title bars.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # Caption buttons need the Marlett font, which a new prefix does not pick up by itself.
    if compgen -G '/usr/share/wine/fonts/*.ttf' >/dev/null; then
        cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    fi
    touch "$WINEPREFIX/.dravosk-ready"
fi
echo "$WINEPREFIX"
