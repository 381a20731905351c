# Shared steps of the end-to-end tests: the real program in a real X server, driven by
# xdotool. Sourced by the *_test.sh scripts.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Waits up to $2 seconds (default 10) for a window whose title is exactly $1; prints its id.
wait_window() {
    local title=$1 limit=${2:-10} id
    for _ in $(seq $((limit * 10))); do
        id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Waits up to $2 seconds for process $1 to end; returns its status, or 124 when it lives on.
wait_exit() {
    local pid=$1 limit=${2:-10}
    for _ in $(seq $((limit * 10))); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            return $?
        fi
        sleep 0.1
    done
    return 124
}

# Keys to the focused window (there is no window manager to activate one).
keys_to() {
    local window=$1
    shift
    xdotool windowfocus --sync "$window" 2>/dev/null
    sleep 0.2
    for key in "$@"; do
        xdotool key "$key"
        sleep 0.3
    done
}
