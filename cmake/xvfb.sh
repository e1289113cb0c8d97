# Sourced by the scripts that need a private X display (window tests, screenshots, the run command).
#   start_xvfb WORK_DIR [SCREEN]  starts Xvfb on a free display, exports DISPLAY, sets XVFB_PID
#   stop_xvfb                     ends it again
start_xvfb() {
    local work=$1 screen=${2:-1280x1024x24}
    # Xvfb picks a free display itself and writes its number to fd 3 once it is ready.
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 200); do
        [ -s "$work/display" ] && break
        sleep 0.05
    done
    if [ ! -s "$work/display" ]; then
        echo "Xvfb did not start:" >&2
        cat "$work/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
}

stop_xvfb() {
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
}
