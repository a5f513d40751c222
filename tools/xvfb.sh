# Sourced by the top-level scripts: start_xvfb exports DISPLAY for a fresh
# Xvfb on the first free display number, stop_xvfb ends it.

start_xvfb() {
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        # fd 9 may hold a caller's lock; the server must not keep it.
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 </dev/null 9>&- &
        XVFB_PID=$!
        for _ in $(seq 100); do
            [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.05
        done
        kill "$XVFB_PID" 2>/dev/null || true
    done
    echo "cannot start Xvfb" >&2
    return 1
}

stop_xvfb() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
