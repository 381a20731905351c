#!/usr/bin/env bash
# A phone photo stored sideways (Exif Orientation 6) and a file named in Shift-JIS
# (テスト.jpg) beside a plain one: the program loads all three, shows the phone photo upright
# in the grid and numbers them with 元のファイル名を使う, each new name keeping its old bytes.
# (The GUI tests cover the other encodings, folder names, the start folder and the viewer.)
# Screenshots go to <build>/test-artifacts/real_folder-<set-up>/.
set -u
binary=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/e2e_lib.sh"
run_in_x_server 1024x768x24 "$@"

prepare_test_folders real_folder

photos="$work/photos"
sjis=$'\x83\x65\x83\x58\x83\x67'.jpg # テスト.jpg in Shift-JIS
mkdir "$photos" || fail "cannot make the photo folder"
make_picture "$photos/a.jpg" 240x170 "255 0 0" || fail "cannot make a.jpg"
make_picture "$photos/$sjis" 240x170 "0 128 0" || fail "cannot make the Shift-JIS file"
# The phone photo: stored 320 x 200, magenta left and cyan right, with an Exif block saying
# "turn 90 degrees clockwise", so that upright it is 200 x 320, magenta above cyan.
convert -size 320x200 xc:magenta -fill cyan -draw 'rectangle 160,0 319,199' "$work/plain.jpg" ||
    fail "cannot make the phone photo"
{
    printf '\xff\xd8\xff\xe1\x00\x22Exif\x00\x00MM\x00\x2a\x00\x00\x00\x08'
    printf '\x00\x01\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00\x00\x00\x00\x00'
    tail -c +3 "$work/plain.jpg"
} >"$photos/phone.jpg"
originals=(a.jpg "$sjis" phone.jpg)
declare -A digest
for name in "${originals[@]}"; do
    digest[$name]=$(md5sum <"$photos/$name" | cut -d' ' -f1)
done

printf '%s\r\n' 0 0 800 600 69 62 198 136 243 242 201 302 205 276 0 0 80 "$photos" \
    >"$work/VOLMARIN.INI"
cd "$work" || fail "cannot enter $work"
start_program
read -r main_x main_y <<<"$(client_origin "$main")"
cell_x() { echo $((main_x + 47 + 92 * $1)); }
cell_y=$((main_y + 67))

open_chooser
sleep 0.5
click_in "$chooser" 340 404
wait_window_gone "開く" 10 || fail "the chooser did not load the folder"

# Which place shows which photo, by colour; the phone photo must stand upright: magenta
# above cyan, white beside it where a sideways thumbnail would be.
place_of() {
    local i seen
    for i in 0 1 2; do
        if [ "$1" = phone.jpg ]; then
            mapfile -t seen < <(pixels_of "$2" "$(($(cell_x $i) + 10)) $((cell_y - 30))" \
                "$(($(cell_x $i) + 10)) $((cell_y + 30))")
            colour_near "${seen[0]}" "255 0 255" && colour_near "${seen[1]}" "0 255 255" && echo "$i"
        else
            colour_near "$(pixels_of "$2" "$(($(cell_x $i) - 24)) $cell_y")" "$3" && echo "$i"
        fi
    done
}
for _ in $(seq 40); do
    sleep 0.5
    screenshot "$work/poll.png"
    [ -n "$(place_of phone.jpg "$work/poll.png")" ] && [ -n "$(place_of x "$work/poll.png" "0 128 0")" ] && break
done
sleep 1
screenshot "$artefacts/1-loaded.png"
declare -A place
place[a.jpg]=$(place_of x "$artefacts/1-loaded.png" "255 0 0")
place[$sjis]=$(place_of x "$artefacts/1-loaded.png" "0 128 0")
place[phone.jpg]=$(place_of phone.jpg "$artefacts/1-loaded.png")
for name in "${originals[@]}"; do
    [ -n "${place[$name]}" ] ||
        fail "$(printf '%q' "$name") is not in the grid, or (the phone photo) not upright"
done

# 一括連番 with 元のファイル名を使う: every file gets its number in front of its own bytes.
keys_to "$main" ctrl+i
batch=$(wait_window "一括連番" 10) || fail "the batch rename dialog did not open"
sleep 0.5
click_in "$batch" 290 88
sleep 0.3
click_in "$batch" $((176 + 37)) $((160 + 12))
numbered() { printf '%04d_%s' $((place[$1] + 1)) "$1"; }
for _ in $(seq 50); do
    sleep 0.2
    all=1
    for name in "${originals[@]}"; do
        [ -f "$photos/$(numbered "$name")" ] || all=
    done
    [ -n "$all" ] && break
done
[ -n "$all" ] || fail "after the batch the folder holds: $(ls -b "$photos" | tr '\n' ' ')"
wait_window "お知らせ" 10 >/dev/null || fail "no notice after the batch"
sleep 0.5
screenshot "$artefacts/2-numbered.png"
for name in "${originals[@]}"; do
    [ "$(md5sum <"$photos/$(numbered "$name")" | cut -d' ' -f1)" = "${digest[$name]}" ] ||
        fail "$(printf '%q' "$(numbered "$name")") does not hold the photo it was named after"
done
[ "$(ls -A "$photos" | wc -l)" -eq 3 ] || fail "the folder holds $(ls -A "$photos" | wc -l) entries, expected 3"
echo "real_folder: 1 passed, 0 failed"
