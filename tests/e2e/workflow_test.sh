#!/usr/bin/env bash
# One use of the real program from end to end, by mouse and keyboard, in a folder of
# generated JPEG and BMP pictures: open the default folder through the chooser, let it load,
# drag three selected thumbnails onto another, number the whole catalogue with the batch
# rename's defaults and check on disk that the numbers follow the arranged order; page
# through the viewer, also with keys held down (one step each); quit through the menu and
# check the settings file it leaves.
# A screenshot of every stage is kept under <build>/test-artifacts/workflow-<set-up>/.
set -u
binary=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/e2e_lib.sh"
run_in_x_server 1024x768x24 "$@"

prepare_test_folders workflow

# The pictures, in the order the catalogue lists them: a01..a08 (JPEG), b1 and b2 (BMP),
# each of one colour, so that a thumbnail or the viewer tells by its colour which it is.
names=(a01.jpg a02.jpg a03.jpg a04.jpg a05.jpg a06.jpg a07.jpg a08.jpg b1.bmp b2.bmp)
declare -A colour=(
    [a01.jpg]="255 0 0" [a02.jpg]="0 128 0" [a03.jpg]="0 0 255" [a04.jpg]="255 255 0"
    [a05.jpg]="255 0 255" [a06.jpg]="0 255 255" [a07.jpg]="255 165 0" [a08.jpg]="128 0 128"
    [b1.bmp]="128 64 0" [b2.bmp]="128 128 128")
declare -A picture_size=(
    [a01.jpg]=240x170 [a02.jpg]=280x190 [a03.jpg]=320x210 [a04.jpg]=360x230
    [a05.jpg]=400x250 [a06.jpg]=440x270 [a07.jpg]=480x290 [a08.jpg]=520x310
    [b1.bmp]=300x400 [b2.bmp]=500x250)
photos="$work/photos"
mkdir "$photos"
for name in "${names[@]}"; do
    target=$photos/$name
    [ "${name##*.}" = bmp ] && target="BMP3:$target"
    make_picture "$target" "${picture_size[$name]}" "${colour[$name]}" ||
        fail "cannot make the picture $name"
done
declare -A digest
for name in "${names[@]}"; do
    digest[$name]=$(md5sum <"$photos/$name" | cut -d' ' -f1)
done

# Main window at 0,0 and 800 x 600 (one pixel taller than it starts, which shows when the
# settings have been read), every dialog at its usual place, thumbnails of 80 and the photos
# as the default folder.
ini_lines=(0 0 800 600 69 62 198 136 243 242 201 302 205 276 0 0 80 "$photos")
printf '%s\r\n' "${ini_lines[@]}" >"$work/VOLMARIN.INI"

# Where thumbnail i stands in the main window's own area: cells of 92 x 124 pixels, eight
# to a row, the picture centred in the top 80 x 80 of the cell. The sample point lies left
# of the centre; the "top" point is above every wide picture, so it shows the list's
# background or the selection colour. The screen points add the window's place (set once
# the window is up: a window manager's frame moves the window's area).
cell_x() { echo $((main_x + 47 + 92 * ($1 % 8))); }
cell_y() { echo $((main_y + 67 + 124 * ($1 / 8))); }
sample_point() { echo "$(($(cell_x "$1") - 24)) $(cell_y "$1")"; }
top_point() { echo "$(cell_x "$1") $(($(cell_y "$1") - 36))"; }
background_point() { echo "$((main_x + 400)) $((main_y + 450))"; }

# Checks that the thumbnails of $1 (a screenshot) show the pictures named after it, place by
# place; a "*" stands for a selected place, whose picture the selection colour tints.
# Prints the first mismatch and returns 1.
thumbnails_show() {
    local shot=$1 i
    shift
    local expected=("$@") points=()
    for i in "${!expected[@]}"; do
        points+=("$(sample_point "$i")")
    done
    mapfile -t seen < <(pixels_of "$shot" "${points[@]}")
    for i in "${!expected[@]}"; do
        [ "${expected[$i]}" = "*" ] && continue
        if ! colour_near "${seen[$i]}" "${colour[${expected[$i]}]}"; then
            echo "place $((i + 1)) shows colour ${seen[$i]}, expected ${expected[$i]} (${colour[${expected[$i]}]})"
            return 1
        fi
    done
}

# True when thumbnail $2 in screenshot $1 is drawn as selected.
is_selected() {
    local seen
    mapfile -t seen < <(pixels_of "$1" "$(top_point "$2")" "$(background_point)")
    ! colour_near "${seen[0]}" "${seen[1]}" 8
}

cd "$work" || fail "cannot enter $work"
QT_QPA_PLATFORM=xcb "$binary" >"$work/out.log" 2>&1 &
pid=$!
main=$(wait_window VOLMARIN 20) || fail "the main window did not appear"
xset r on # held keys repeat (set now: a bare X server resets when its last client leaves)
placed=
for _ in $(seq 100); do
    if [ "$(window_box "$main")" = "0 0 800 600" ]; then
        placed=1
        break
    fi
    sleep 0.1
done
[ -n "$placed" ] || fail "the main window stands at $(window_box "$main"), expected 0 0 800 600 from the settings file"
sleep 0.5
read -r main_x main_y <<<"$(client_origin "$main")"

# Stage 1: ファイル(&F) → 開く(&O) shows the chooser in the default folder.
keys_to "$main" alt+f o
chooser=$(wait_window "開く" 10) || fail "the folder chooser did not open"
[ "$(window_box "$chooser" | cut -d' ' -f1,2)" = "62 69" ] ||
    fail "the chooser stands at $(window_box "$chooser"), expected 62 69 from the settings file"
sleep 0.5
screenshot "$artefacts/1-chooser.png"
# A double click previews the first file; → held for 1.5 s pages once, to the second.
read -r x y <<<"$(point_in "$chooser" 340 40)"
xdotool mousemove --sync "$x" "$y" click --repeat 2 --delay 80 1 sleep 1 keydown Right sleep 1.5 keyup Right sleep 1
screenshot "$work/preview.png"
colour_near "$(pixels_of "$work/preview.png" "432 384")" "${colour[a02.jpg]}" ||
    fail "→ held in the preview shows colour $(pixels_of "$work/preview.png" "432 384"), expected one step to a02.jpg"
click_at 512 384
wait_window_gone "画像Ｖｉｅｗ" 10 || fail "the preview did not close on a click"

# Takes a screenshot every half second, at most $1 times, until the catalogue shows the
# pictures named after it, place by place ("*" for any); the last one stays in poll.png.
wait_for_thumbnails() {
    local tries=$1
    shift
    for _ in $(seq "$tries"); do
        sleep 0.5
        screenshot "$work/poll.png"
        if thumbnails_show "$work/poll.png" "$@" >/dev/null; then
            return 0
        fi
    done
    return 1
}

# Stage 2: its OK loads the folder, one file per tick. The last thumbnail showing its
# picture marks the end of the load.
click_in "$chooser" 340 404
wait_window_gone "開く" 10 || fail "the chooser did not close on OK"
wait_for_thumbnails 60 "${names[@]}" ||
    fail "after 30 s the catalogue does not show the ten pictures in list order:" \
        "$(thumbnails_show "$work/poll.png" "${names[@]}")"
sleep 1 # the mode word turns to 読込完了 on the tick after the last file
screenshot "$artefacts/2-loaded.png"

# Stage 3: select a02, then a05 and b2 with Ctrl, press a05 and drag the three onto a07.
# a07 lies after the pressed item, so the selection gathers right after it, in its order,
# and the others keep theirs.
selection=(1 4 9)
click_at "$(cell_x 1)" "$(cell_y 1)"
sleep 0.4
xdotool keydown ctrl
click_at "$(cell_x 4)" "$(cell_y 4)"
sleep 0.3
click_at "$(cell_x 9)" "$(cell_y 9)"
sleep 0.3
xdotool keyup ctrl
sleep 0.5
screenshot "$work/selected.png"
for i in "${!names[@]}"; do
    # A tall picture fills its cell to the top, so the selection does not show above it.
    [ "${names[$i]}" = b1.bmp ] && continue
    want=no
    [[ " ${selection[*]} " == *" $i "* ]] && want=yes
    got=no
    is_selected "$work/selected.png" "$i" && got=yes
    [ "$got" = "$want" ] || fail "before the drag, ${names[$i]} selected: $got, expected $want"
done
drag_to "$(cell_x 4)" "$(cell_y 4)" "$(cell_x 6)" "$(cell_y 6)" 8
arranged=(a01.jpg a03.jpg a04.jpg a06.jpg a07.jpg a02.jpg a05.jpg b2.bmp a08.jpg b1.bmp)
shown=(a01.jpg a03.jpg a04.jpg a06.jpg a07.jpg "*" "*" "*" a08.jpg b1.bmp)
wait_for_thumbnails 30 "${shown[@]}" ||
    fail "15 s after the drop the catalogue is not in the arranged order:" \
        "$(thumbnails_show "$work/poll.png" "${shown[@]}")"
sleep 1 # the move ends a tick or two after the last carry
screenshot "$artefacts/3-arranged.png"
for i in 5 6 7; do
    is_selected "$artefacts/3-arranged.png" "$i" || fail "after the move, place $((i + 1)) is not selected"
done

# Stage 4: Ctrl+I, then OK with the defaults: 0001 onward, "_", 画像, the whole catalogue.
keys_to "$main" ctrl+i
batch=$(wait_window "一括連番" 10) || fail "the batch rename dialog did not open"
[ "$(window_box "$batch" | cut -d' ' -f1,2)" = "136 198" ] ||
    fail "the batch rename dialog stands at $(window_box "$batch"), expected 136 198"
sleep 0.5
click_in "$batch" $((176 + 37)) $((160 + 12))
expected_names=()
for k in "${!arranged[@]}"; do
    expected_names+=("$(printf '%04d_画像.%s' $((k + 1)) "${arranged[$k]##*.}")")
done
renamed=
for _ in $(seq 100); do
    sleep 0.2
    all=1
    for name in "${expected_names[@]}"; do
        [ -f "$photos/$name" ] || all=
    done
    if [ -n "$all" ]; then
        renamed=1
        break
    fi
done
[ -n "$renamed" ] || fail "20 s after OK the folder holds: $(ls "$photos" | tr '\n' ' ')"
notice=$(wait_window "お知らせ" 10) || fail "no notice box after the batch"
sleep 0.5
screenshot "$artefacts/4-renamed.png"
on_disk=$(ls -A "$photos" | wc -l)
[ "$on_disk" -eq ${#names[@]} ] || fail "the folder holds $on_disk files after the batch, expected ${#names[@]}:" \
    "$(ls -A "$photos" | tr '\n' ' ')"
for k in "${!arranged[@]}"; do
    got=$(md5sum <"$photos/${expected_names[$k]}" | cut -d' ' -f1)
    [ "$got" = "${digest[${arranged[$k]}]}" ] ||
        fail "${expected_names[$k]} does not hold ${arranged[$k]}, the picture at place $((k + 1))"
done
# The notice's OK gives the dialog back; its キャンセル closes it.
click_in "$notice" $((88 + 37)) $((112 + 12))
wait_window_gone "お知らせ" 10 || fail "the notice box did not close on OK"
sleep 0.5
click_in "$batch" $((280 + 37)) $((160 + 12))
wait_window_gone "一括連番" 10 || fail "the batch rename dialog did not close on キャンセル"
sleep 0.5

# Stage 5: a double click on place 6 (a02) opens the viewer; → pages on to place 7 (a05),
# → held for 3 s to place 8 (b2), ← held for 0.8 s back to a05 and → to b2 again. Each
# picture fits the 1024 x 768 screen and is drawn centred on black.
viewer_point="432 384"
viewer_shows() {
    for _ in $(seq 20); do
        sleep 0.25
        screenshot "$work/viewer.png"
        colour_near "$(pixels_of "$work/viewer.png" "$viewer_point")" "${colour[$1]}" && return 0
    done
    return 1
}
xdotool mousemove --sync "$(cell_x 5)" "$(cell_y 5)" click --repeat 2 --delay 80 1
viewer=$(wait_window "画像Ｖｉｅｗ" 10) || fail "the viewer did not open on a double click"
viewer_shows a02.jpg || fail "the viewer opened on colour $(pixels_of "$work/viewer.png" "$viewer_point"), expected a02.jpg"
keys_to "$viewer" Right
viewer_shows a05.jpg || fail "after → the viewer shows colour $(pixels_of "$work/viewer.png" "$viewer_point"), expected a05.jpg"
for held in "Right 3 b2.bmp" "Left 0.8 a05.jpg" "Right 0 b2.bmp"; do
    read -r key seconds picture <<<"$held"
    xdotool keydown "$key" sleep "$seconds" keyup "$key"
    viewer_shows "$picture" || fail "$key held for $seconds s shows colour $(pixels_of "$work/viewer.png" "$viewer_point"), expected $picture"
done
cp "$work/viewer.png" "$artefacts/5-viewer.png"
click_at 512 384
wait_window_gone "画像Ｖｉｅｗ" 10 || fail "the viewer did not close on a click"
sleep 0.5

# Stage 6: ファイル(&F) → 終了(&X) ends the program and writes the settings file.
keys_to "$main" alt+f x
wait_exit "$pid" 15
status=$?
[ "$status" -ne 124 ] || fail "the program did not end after the exit command"
[ "$status" -eq 0 ] || fail "the program ended with status $status"
pid=
screenshot "$artefacts/6-exited.png"
mapfile -t lines < <(sed 's/\r$//' "$work/VOLMARIN.INI")
[ "${#lines[@]}" -eq 18 ] || fail "the settings file has ${#lines[@]} lines, expected 18"
[ "$(grep -c $'\r$' "$work/VOLMARIN.INI")" -eq 18 ] || fail "every settings line must end in CR LF"
for i in "${!ini_lines[@]}"; do
    [ "${lines[$i]}" = "${ini_lines[$i]}" ] ||
        fail "settings line $((i + 1)): expected '${ini_lines[$i]}', got '${lines[$i]}'"
done
echo "workflow: 1 passed, 0 failed"
