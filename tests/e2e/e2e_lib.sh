# shellcheck shell=bash
# Shared steps of the end-to-end tests: the real program in a real X server, driven by
# xdotool. Sourced by the *_test.sh scripts.
#
# Every test runs twice (see tests/CMakeLists.txt): in a bare X server, where no window has
# a frame and nothing moves the keyboard focus but the program, and under the openbox
# window manager, which frames windows, places them, gives and takes the focus and closes
# them on request. VOLMARIN_E2E_WM names the set-up: "none" (the default) or "openbox".

# Runs the calling script again inside its own X server (screen geometry $1, the script's
# arguments after it), unless it already runs in one; there it starts the window manager.
run_in_x_server() {
    local screen=$1
    shift
    if [ -z "${VOLMARIN_E2E_INNER:-}" ]; then
        # -noreset: a bare X server otherwise resets whenever its last client leaves, and a
        # program connecting in that moment is refused ("could not connect to display").
        export VOLMARIN_E2E_INNER=1
        exec xvfb-run -a -s "-screen 0 $screen -noreset" bash "$0" "$@"
    fi
    E2E_WM=${VOLMARIN_E2E_WM:-none}
    case "$E2E_WM" in
    none) ;;
    openbox)
        # Debian's default configuration, whatever the user running the tests has set up.
        openbox --config-file /etc/xdg/openbox/rc.xml >/dev/null 2>&1 &
        for _ in $(seq 100); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
            sleep 0.1
        done
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' ||
            fail "openbox did not start"
        ;;
    *) fail "unknown window manager set-up '$E2E_WM'" ;;
    esac
    echo "$(basename "$0"): under ${E2E_WM/none/bare Xvfb}"
}

# Prepares what a test that runs the program keeps and throws away: $artefacts, a fresh
# folder <build>/test-artifacts/$1-<set-up> for its screenshots (the build is the one that
# holds $binary), and $work, a temporary folder removed at the end. Should the test end
# while the program ($pid) still runs, a screenshot and the program's output (out.log in
# $work) are kept and the program is stopped.
prepare_test_folders() {
    artefacts="$(cd "$(dirname "$binary")/.." && pwd)/test-artifacts/$1-${E2E_WM}"
    mkdir -p "$artefacts" || fail "cannot create $artefacts"
    rm -f "$artefacts"/*.png "$artefacts"/*.log
    echo "$1: screenshots go to $artefacts"
    work=$(mktemp -d)
    pid=
    trap end_of_test EXIT
}

end_of_test() {
    local status=$? # the test's own: a passed test leaves its last screen, not a "failure"
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        screenshot "$artefacts/$([ "$status" -eq 0 ] && echo last-screen || echo failure).png"
        kill "$pid"
        cp "$work/out.log" "$artefacts/program-output.log" 2>/dev/null
    fi
    rm -rf "$work"
}

# Starts the program ($binary) in the current folder, its output added to $work/out.log;
# sets $pid and $main once the main window is up and has read its settings file.
start_program() {
    QT_QPA_PLATFORM=xcb "$binary" >>"$work/out.log" 2>&1 &
    pid=$!
    main=$(wait_window VOLMARIN 20) || fail "the main window did not appear"
    sleep 0.6 # the start-up step runs on the first 100 ms tick
}

# ファイル(&F) → 開く(&O) in the main window; sets $chooser once the chooser is up.
open_chooser() {
    keys_to "$main" alt+f o
    chooser=$(wait_window "開く" 10) || fail "開く did not open the folder chooser"
}

# True under a window manager.
with_wm() {
    [ "${E2E_WM:-none}" != none ]
}

fail() {
    echo "FAIL${E2E_WM:+ (${E2E_WM/none/bare Xvfb})}: $*" >&2
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

# Gives window $1 the keyboard as a user would: a window manager is asked to activate it;
# without one the focus is set directly, there being nobody else to do it.
activate() {
    if with_wm; then
        xdotool windowactivate --sync "$1" 2>/dev/null
    else
        xdotool windowfocus --sync "$1" 2>/dev/null
    fi
    sleep 0.2
}

# Keys typed on the keyboard, to whichever window has the focus.
keys() {
    for key in "$@"; do
        xdotool key "$key"
        sleep 0.3
    done
}

# Keys to window $1, activated first.
keys_to() {
    local window=$1
    shift
    activate "$window"
    keys "$@"
}

# The window that has the keyboard focus, as the X server knows it.
focused_window() {
    xdotool getwindowfocus 2>/dev/null
}

# True when window $1 stands above window $2: in the window manager's stacking list under
# one, in the X server's order of top-level windows without one.
stands_above() {
    local order id lower_seen=
    if with_wm; then # bottom to top
        order=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/^[^#]*# *//; s/,//g')
    else # top to bottom
        order=$(xwininfo -root -children | awk '$1 ~ /^0x/ { print $1 }' | tac)
    fi
    for id in $order; do
        [ "$id" = "$(printf '0x%x' "$2")" ] && lower_seen=1
        [ "$id" = "$(printf '0x%x' "$1")" ] && [ -n "$lower_seen" ] && return 0
    done
    return 1
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

# Prints "left top right bottom" of the frame a window manager draws around window $1
# (0 0 0 0 without one).
frame_extents() {
    local extents
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ,)
    echo "${extents:-0 0 0 0}"
}

# Prints "left top" of window $1's own area (inside any frame) on the screen.
client_origin() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        END { print x, y }'
}

# Prints "left top width height" of window $1 on the screen as the settings file keeps it:
# its outer frame, the frame that a window manager draws included.
window_box() {
    local x y width height l r t b
    read -r x y <<<"$(client_origin "$1")"
    read -r width height <<<"$(xwininfo -id "$1" | awk '/^  Width:/ { w = $NF } /^  Height:/ { h = $NF }
        END { print w, h }')"
    read -r l r t b <<<"$(frame_extents "$1")"
    echo "$((x - l)) $((y - t)) $((width + l + r)) $((height + t + b))"
}

# Prints the screen point "x y" of point $2, $3 inside window $1's own area.
point_in() {
    local x y
    read -r x y <<<"$(client_origin "$1")"
    echo "$((x + $2)) $((y + $3))"
}

# Left click at point $2, $3 inside window $1's own area.
click_in() {
    local x y
    read -r x y <<<"$(point_in "$1" "$2" "$3")"
    xdotool mousemove --sync "$x" "$y" click 1
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

# A picture of one colour: file $1 ("BMP3:" before the name makes a 24-bit BMP), size $2
# ("240x170"), colour $3 ("255 0 0"). No text is drawn: that would need fonts.
make_picture() {
    convert -size "$2" "xc:rgb(${3// /,})" -type TrueColor "$1"
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
