#!/usr/bin/env bash
# The windows as users meet them: places and sizes that survive any number of runs, the
# frame each window asks for, no minimised dialog that leaves the user without a window,
# closing the main window while a dialog is up, the keyboard given back after the chooser,
# a notice and the viewer, notices drawn and kept in front, Enter, and long names.
set -u
binary=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/e2e_lib.sh"
run_in_x_server 1280x1024x24 "$@"

prepare_test_folders windows

photos=$work/photos
mkdir "$photos"
# Forty pictures: loading them takes four seconds, time enough to stop the load.
colours=("255 0 0" "0 160 0" "0 0 255" "255 255 0" "255 0 255" "0 255 255" "255 160 0" "128 0 128")
for i in $(seq -w 1 40); do
    make_picture "$photos/p$i.jpg" 200x150 "${colours[$((10#$i % 8))]}" || fail "cannot make p$i.jpg"
done

cd "$work" || fail "cannot enter $work"

quit_by_menu() {
    keys_to "$main" alt+f x
    wait_exit "$pid" 10
    local status=$?
    [ "$status" -ne 124 ] || fail "the program did not end after the exit command"
    pid=
}

settings() {
    tr -d '\r' <"$work/VOLMARIN.INI" | tr '\n' ' '
}

# Prints "left top" of window $1's outer frame.
place_of() {
    window_box "$1" | cut -d' ' -f1,2
}

# Opens a dialog by the main window's keys $2..., checks that it stands at "left top" $1,
# and prints its id.
open_dialog_at() {
    local place=$1 title=$2 dialog
    shift 2
    keys_to "$main" "$@"
    dialog=$(wait_window "$title" 10) || fail "$title did not open"
    sleep 0.3
    [ "$(place_of "$dialog")" = "$place" ] || fail "$title stands at $(place_of "$dialog"), expected $place"
    echo "$dialog"
}

# A click at point $3, $4 of window $2, which waits for notice $1, leaves the notice in front
# with the keyboard, and Enter answers it.
notice_stays_in_front() {
    local title
    title=$(xdotool getwindowname "$2")
    click_in "$2" "$3" "$4"
    sleep 0.8
    screenshot "$artefacts/notice-over-$title.png"
    stands_above "$1" "$2" && [ "$(focused_window)" = "$1" ] || fail "a click on $title hid its notice"
    keys Return
    wait_window_gone お知らせ 5 || fail "Enter did not press the notice's OK"
}

# --- The first start, without a settings file: the main window at 0, 0 with 800 x 599 as its
# outer size, which the file then keeps. A notice stays in front of the chooser it blocks.
start_program
[ "$(window_box "$main")" = "0 0 800 599" ] ||
    fail "at the first start the main window's outer box is $(window_box "$main"), expected 0 0 800 599"
chooser=$(open_dialog_at "62 69" 開く alt+f o)
click_in "$chooser" $((168 + 48)) $((8 + 8)) # デフォルトに設定
notice=$(wait_window お知らせ 5) || fail "デフォルトに設定 raised no notice"
notice_stays_in_front "$notice" "$chooser" 600 300
click_in "$chooser" $((392 + 37)) $((392 + 12))
wait_window_gone 開く || fail "the chooser did not close on キャンセル"
quit_by_menu
[ "$(settings | cut -d' ' -f1-4)" = "0 0 800 599" ] ||
    fail "the first start left '$(settings | cut -d' ' -f1-4)' in the settings file, expected 0 0 800 599"

# --- Places and sizes survive start and exit, shown or not, moved by the window manager or not.
printf '%s\r\n' 40 30 800 600 300 500 198 136 243 242 600 400 700 900 0 0 80 "$photos" \
    >"$work/VOLMARIN.INI"
runs=()
for run in 1 2 3; do
    start_program
    [ "$(window_box "$main")" = "30 40 800 600" ] ||
        fail "run $run: the main window's outer box is $(window_box "$main"), expected 30 40 800 600"
    chooser=$(open_dialog_at "500 300" 開く alt+f o)
    click_in "$chooser" $((392 + 37)) $((392 + 12)) # キャンセル
    wait_window_gone 開く || fail "the chooser did not close on キャンセル"
    size_place="400 600"
    [ "$run" -gt 1 ] && size_place="1000 600"
    size=$(open_dialog_at "$size_place" 設定 ctrl+s)
    if [ "$run" -eq 1 ]; then
        # The user moves the size dialog to 1000, 600 (its outer frame's corner).
        if with_wm; then
            wmctrl -i -r "$size" -e 0,1000,600,-1,-1
        else
            xdotool windowmove "$size" 1000 600
        fi
        sleep 0.5
        [ "$(place_of "$size")" = "1000 600" ] || fail "the size dialog did not move: $(place_of "$size")"
    fi
    click_in "$size" $((104 + 37)) $((88 + 12)) # キャンセル
    wait_window_gone 設定 || fail "the size dialog did not close on キャンセル"
    quit_by_menu
    runs+=("$(settings)")
done
expected="40 30 800 600 300 500 198 136 243 242 600 1000 700 900 0 0 80 $photos "
for run in 1 2 3; do
    [ "${runs[$((run - 1))]}" = "$expected" ] ||
        fail "after run $run the settings file holds '${runs[$((run - 1))]}', expected '$expected'"
done

# --- Frames: the hints each window gives the window manager, and what the window manager
# makes of them. No dialog stays minimised.
start_program
motif_of() {
    xprop -id "$1" _MOTIF_WM_HINTS | sed -n 's/.*= *//p'
}
allowed_of() {
    xprop -id "$1" _NET_WM_ALLOWED_ACTIONS | sed -n 's/.*= *//p' | sed 's/_NET_WM_ACTION_//g'
}
# flags (functions and decorations), functions, decorations: move + close, border + title
# + window menu; the size dialog and the notice box without close.
check_frame() {
    local window=$1 title=$2 motif=$3 allowed
    [ "$(motif_of "$window")" = "$motif" ] ||
        fail "$title asks the window manager for '$(motif_of "$window")', expected '$motif'"
    if with_wm; then
        allowed=$(allowed_of "$window")
        for action in MINIMIZE MAXIMIZE_HORZ MAXIMIZE_VERT RESIZE FULLSCREEN; do
            [[ " ${allowed//,/} " != *" $action "* ]] || fail "$title may be $action: $allowed"
        done
        [[ " ${allowed//,/} " == *" MOVE "* ]] || fail "$title cannot be moved: $allowed"
    fi
}
chooser=$(open_dialog_at "500 300" 開く alt+f o)
check_frame "$chooser" 開く "0x3, 0x24, 0x1a, 0x0, 0x0"
screenshot "$artefacts/1-chooser.png"
# Minimising the chooser must not hide the program.
xdotool windowminimize "$chooser" 2>/dev/null
sleep 1.5
for window in "$chooser" "$main"; do
    xwininfo -id "$window" | grep -q 'Map State: IsViewable' ||
        fail "after minimising the chooser, $(xdotool getwindowname "$window") is not on the screen"
done
click_in "$chooser" $((392 + 37)) $((392 + 12))
wait_window_gone 開く || fail "the chooser did not close on キャンセル"

size=$(open_dialog_at "1000 600" 設定 ctrl+s)
check_frame "$size" 設定 "0x3, 0x4, 0x1a, 0x0, 0x0"
screenshot "$artefacts/2-size-dialog.png"
if with_wm; then
    # A close request, however made, leaves the dialog that has no close box up.
    wmctrl -i -c "$size"
    sleep 0.8
    xwininfo -id "$size" | grep -q 'Map State: IsViewable' || fail "the size dialog closed on request"
fi
activate "$size"
keys Return # its OK has the focus
wait_window_gone 設定 || fail "Enter did not press the size dialog's focused OK"

# --- The keyboard comes back: after a notice's OK to the window it gives back.
notice=$(open_dialog_at "900 700" お知らせ alt+h a)
check_frame "$notice" お知らせ "0x3, 0x4, 0x1a, 0x0, 0x0"
keys Return
wait_window_gone お知らせ || fail "Enter did not press the version notice's OK"
sleep 0.5
[ "$(focused_window)" = "$main" ] || fail "after the notice's OK the main window does not have the keyboard"
keys alt+f o # typed without giving any window the focus first
chooser=$(wait_window 開く 5) || fail "after the notice's OK the main window's keys do nothing"
sleep 0.5

# After the chooser's OK the catalogue takes the keys: Esc stops the load at once.
click_in "$chooser" $((304 + 37)) $((392 + 12))
wait_window_gone 開く || fail "the chooser did not close on OK"
sleep 0.8
keys Escape
sleep 5 # longer than the whole load would take
screenshot "$artefacts/3-stopped.png"
read -r main_x main_y <<<"$(client_origin "$main")"
cell() { echo "$((main_x + 47 + 92 * ($1 % 8) - 24)) $((main_y + 67 + 124 * ($1 / 8)))"; }
# Eight to a row; place 31 (p32, red) lies on the fourth row, well past a second's load.
mapfile -t seen < <(pixels_of "$artefacts/3-stopped.png" "$(cell 0)" "$(cell 31)")
colour_near "${seen[0]}" "${colours[1]}" || fail "the first thumbnail shows ${seen[0]}, expected ${colours[1]}"
colour_near "${seen[1]}" "${colours[0]}" &&
    fail "Esc right after the chooser's OK did not stop the load: place 32 was loaded"

# --- The viewer gives the main window back with the keyboard in the catalogue.
xdotool mousemove --sync $(cell 2) click --repeat 2 --delay 80 1
viewer=$(wait_window "画像Ｖｉｅｗ" 10) || fail "the viewer did not open on a double click"
[ "$(motif_of "$viewer")" = "0x3, 0x20, 0x0, 0x0, 0x0" ] ||
    fail "the viewer asks the window manager for '$(motif_of "$viewer")'"
sleep 0.5
# The main window, activated from a window manager's window list, brings the viewer forward.
if with_wm; then
    xdotool windowactivate "$main"
    sleep 0.8
    stands_above "$viewer" "$main" && [ "$(focused_window)" = "$viewer" ] ||
        fail "activating the main window hid the viewer"
fi
click_at 640 512
wait_window_gone "画像Ｖｉｅｗ" 10 || fail "the viewer did not close on a click"
sleep 0.5
[ "$(focused_window)" = "$main" ] || fail "after the viewer the main window does not have the keyboard"
keys Right ctrl+z # the next picture becomes current, and 個別 renames it
rename=$(wait_window リネーム 5) || fail "after the viewer the catalogue's keys do nothing"
[ "$(xdotool getwindowfocus)" = "$rename" ] || fail "the rename dialog did not take the keyboard"
keys ctrl+a
xdotool type p05.jpg
keys Return
notice=$(wait_window お知らせ 5) || fail "a taken name raised no notice"
notice_stays_in_front "$notice" "$rename" 300 40
# A name of 200 characters, shown in the status line after the rename and after a click on
# the item: the line is cut at the window's edge, and the window keeps its width.
long=$(printf 'n%.0s' $(seq 196)).jpg
keys ctrl+a
xdotool type "$long"
keys Return
wait_window_gone リネーム || fail "the rename dialog did not close after the rename"
[ -f "$photos/$long" ] || fail "p04.jpg was not renamed to the 200-character name"
for shown_by in rename click; do
    [ "$shown_by" = click ] && click_at $(cell 3)
    sleep 0.5
    [ "$(window_box "$main" | cut -d' ' -f3)" = 800 ] ||
        fail "a long name shown by a $shown_by widened the main window: $(window_box "$main")"
done
screenshot "$artefacts/long-name.png"

# --- A notice raised over the viewer is drawn: paging onto a file deleted meanwhile.
xdotool mousemove --sync $(cell 2) click --repeat 2 --delay 80 1
viewer=$(wait_window "画像Ｖｉｅｗ" 10) || fail "the viewer did not open again"
sleep 0.5
rm "$photos/$long"
keys Right
notice=$(wait_window お知らせ 5) || fail "paging onto a missing file raised no notice"
sleep 0.8
screenshot "$artefacts/4-notice-over-viewer.png"
read -r nx ny <<<"$(client_origin "$notice")"
mapfile -t seen < <(pixels_of "$artefacts/4-notice-over-viewer.png" "$((nx + 4)) $((ny + 104))" \
    "$((nx + 125)) $((ny + 30))")
for colour in "${seen[@]}"; do
    colour_near "$colour" "0 0 0" 60 && fail "the notice over the viewer is not drawn (black at a point of its face)"
done
click_in "$notice" $((88 + 37)) $((112 + 12))
wait_window_gone お知らせ || fail "the notice did not close on OK"
wait_window_gone "画像Ｖｉｅｗ" 5 || fail "the notice's OK did not close the viewer"
sleep 0.5
[ "$(focused_window)" = "$main" ] || fail "after the notice over the viewer the main window does not have the keyboard"
quit_by_menu
[ "$(settings | cut -d' ' -f3)" = 800 ] || fail "the settings file keeps the width $(settings | cut -d' ' -f3), expected 800"

# --- Closing the main window by the window manager while a dialog is up ends the program.
if with_wm; then
    for opener in "ctrl+s:設定" "alt+h a:お知らせ"; do
        rm -f "$work/VOLMARIN.INI"
        start_program
        read -r -a opening <<<"${opener%%:*}"
        keys_to "$main" "${opening[@]}"
        wait_window "${opener#*:}" 10 >/dev/null || fail "${opener#*:} did not open"
        sleep 0.3
        wmctrl -i -c "$main"
        wait_exit "$pid" 5
        status=$?
        [ "$status" -ne 124 ] || fail "closing the main window with ${opener#*:} up left the program running"
        pid=
        [ "$(grep -c $'\r$' "$work/VOLMARIN.INI" 2>/dev/null)" = 18 ] ||
            fail "closing the main window with ${opener#*:} up wrote no settings file"
    done
fi
# --- A window manager that frames the main window only after the settings were applied, as
# on a slow start: the window still ends at its stored place with its stored outer size.
if ! with_wm; then
    printf '%s\r\n' 40 30 800 600 300 500 198 136 243 242 600 1000 700 900 0 0 80 "$photos" \
        >"$work/VOLMARIN.INI"
    start_program
    openbox --config-file /etc/xdg/openbox/rc.xml >/dev/null 2>&1 &
    for _ in $(seq 50); do
        [ "$(frame_extents "$main")" != "0 0 0 0" ] && break
        sleep 0.1
    done
    [ "$(frame_extents "$main")" != "0 0 0 0" ] || fail "openbox started late did not frame the main window"
    sleep 1
    [ "$(window_box "$main")" = "30 40 800 600" ] ||
        fail "framed late, the main window's outer box is $(window_box "$main"), expected 30 40 800 600"
    E2E_WM=openbox # from here on a window manager hands out the focus
    quit_by_menu
    [ "$(settings | cut -d' ' -f1-4)" = "40 30 800 600" ] ||
        fail "framed late, the main window left '$(settings | cut -d' ' -f1-4)' in the settings file"
fi
echo "windows: 1 passed, 0 failed"
