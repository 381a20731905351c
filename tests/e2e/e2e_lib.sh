# shellcheck shell=bash
# Shared steps of the end-to-end tests: the real program in a real X server, driven by
# xdotool. Sourced by the *_test.sh scripts.

# Runs the calling script again inside its own X server (screen geometry $1, the script's
# arguments after it), unless it already runs in one.
run_in_x_server() {
    local screen=$1
    shift
    if [ -z "${VOLMARIN_E2E_INNER:-}" ]; then
        export VOLMARIN_E2E_INNER=1
        exec xvfb-run -a -s "-screen 0 $screen" bash "$0" "$@"
    fi
}

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

# Waits up to $2 seconds (default 10) until no visible window has the title $1.
wait_window_gone() {
    local title=$1 limit=${2:-10}
    for _ in $(seq $((limit * 10))); do
        if [ -z "$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null)" ]; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Prints "left top width height" of window $1 on the screen.
window_box() {
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    echo "$X $Y $WIDTH $HEIGHT"
}

# The whole screen as a PNG file $1.
screenshot() {
    import -window root "$1"
}

# Prints "red green blue" (0 to 255), one line per point, of the points "x y" $2, $3, ...
# of the picture file $1.
pixels_of() {
    local picture=$1 format="" x y
    shift
    for point in "$@"; do
        read -r x y <<<"$point"
        format+="%[fx:round(255*p{$x,$y}.r)] %[fx:round(255*p{$x,$y}.g)] %[fx:round(255*p{$x,$y}.b)]\n"
    done
    convert "$picture" -format "$format" info:
}

# True when the colours "r g b" $1 and $2 differ by at most $3 (default 48) in every channel:
# JPEG pictures come back with their colours a little off.
colour_near() {
    local tolerance=${3:-48} a b i
    read -r -a a <<<"$1"
    read -r -a b <<<"$2"
    for i in 0 1 2; do
        local d=$((a[i] - b[i]))
        [ "${d#-}" -le "$tolerance" ] || return 1
    done
}

# Left click at screen point $1, $2.
click_at() {
    xdotool mousemove --sync "$1" "$2" click 1
}

# Presses the left button at $1, $2, moves the pointer to $3, $4 in $5 (default 8) steps
# with the button held, as a hand would, and releases it there.
drag_to() {
    local x0=$1 y0=$2 x1=$3 y1=$4 steps=${5:-8} i
    xdotool mousemove --sync "$x0" "$y0"
    sleep 0.2
    xdotool mousedown 1
    sleep 0.2
    for i in $(seq "$steps"); do
        xdotool mousemove --sync $((x0 + (x1 - x0) * i / steps)) $((y0 + (y1 - y0) * i / steps))
        sleep 0.1
    done
    sleep 0.3
    xdotool mouseup 1
}
