#!/usr/bin/env bash
# A holiday folder as users have them: started in a folder named in Shift-JIS (写真), the
# photos in a folder named in Latin-1 (café), file names in Shift-JIS (テスト.jpg) and with a
# lone 0xFF byte, and a phone photo stored sideways with Exif Orientation 6. The program
# lists and loads all four, shows the phone photo upright in the grid and in the viewer,
# numbers them with 元のファイル名を使う keeping every name's bytes, and writes its settings
# file into the Shift-JIS start folder and nowhere else. Screenshots go to <build>/test-artifacts/real_folder-<set-up>/.
set -u
binary=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/e2e_lib.sh"
run_in_x_server 1024x768x24 "$@"

prepare_test_folders real_folder

start="$work/"$'\x8e\xca\x90\x5e'       # 写真 in Shift-JIS
photos="$start/caf"$'\xe9'              # café in Latin-1
sjis=$'\x83\x65\x83\x58\x83\x67'.jpg   # テスト.jpg in Shift-JIS
lone=$'\xff'.jpg
mkdir -p "$photos" || fail "cannot make the folders"
make_picture "$photos/a.jpg" 240x170 "255 0 0" || fail "cannot make a.jpg"
make_picture "$photos/$sjis" 240x170 "0 128 0" || fail "cannot make the Shift-JIS file"
make_picture "$photos/$lone" 240x170 "255 255 0" || fail "cannot make the 0xFF file"
# The phone photo: stored 320 x 200, magenta left and cyan right, with an Exif block saying
# "turn 90 degrees clockwise", so that upright it is 200 x 320, magenta above cyan.
convert -size 320x200 xc:magenta -fill cyan -draw 'rectangle 160,0 319,199' "$work/plain.jpg" ||
    fail "cannot make the phone photo"
{
    printf '\xff\xd8\xff\xe1\x00\x22Exif\x00\x00MM\x00\x2a\x00\x00\x00\x08'
    printf '\x00\x01\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00\x00\x00\x00\x00'
    tail -c +3 "$work/plain.jpg"
} >"$photos/phone.jpg"
originals=(a.jpg "$sjis" "$lone" phone.jpg)
declare -A digest
for name in "${originals[@]}"; do
    digest[$name]=$(md5sum <"$photos/$name" | cut -d' ' -f1)
done
magenta="255 0 255"
cyan="0 255 255"

printf '%s\r\n' 0 0 800 600 69 62 198 136 243 242 201 302 205 276 0 0 80 >"$start/VOLMARIN.INI"
printf '%s\r\n' "$photos" >>"$start/VOLMARIN.INI"

cd "$start" || fail "cannot enter the start folder"
start_program
for _ in $(seq 100); do
    [ "$(window_box "$main")" = "0 0 800 600" ] && break
    sleep 0.1
done
[ "$(window_box "$main")" = "0 0 800 600" ] ||
    fail "the settings file of the Shift-JIS start folder was not read: the main window stands at $(window_box "$main")"
sleep 0.5
read -r main_x main_y <<<"$(client_origin "$main")"
cell_x() { echo $((main_x + 47 + 92 * $1)); }
cell_y() { echo $((main_y + 67)); }

# The chooser opens in the Latin-1 default folder and lists the four files.
open_chooser
sleep 0.5
screenshot "$artefacts/1-chooser.png"
click_in "$chooser" 340 404
wait_window_gone "開く" 10 || fail "the chooser did not load the folder (its file list is not the four photos)"

# Which place shows which photo, by colour; the phone photo must stand upright: magenta
# above cyan, white beside it where a sideways thumbnail would be.
place_of() {
    local i
    for i in 0 1 2 3; do
        if [ "$1" = phone.jpg ]; then
            mapfile -t seen < <(pixels_of "$2" "$(($(cell_x $i) + 10)) $(($(cell_y) - 30))" \
                "$(($(cell_x $i) + 10)) $(($(cell_y) + 30))")
            colour_near "${seen[0]}" "$magenta" && colour_near "${seen[1]}" "$cyan" && echo "$i"
        else
            colour_near "$(pixels_of "$2" "$(($(cell_x $i) - 24)) $(cell_y)")" "$3" && echo "$i"
        fi
    done
}
for _ in $(seq 40); do
    sleep 0.5
    screenshot "$work/poll.png"
    [ -n "$(place_of phone.jpg "$work/poll.png")" ] && [ -n "$(place_of x "$work/poll.png" "255 255 0")" ] && break
done
sleep 1
screenshot "$artefacts/2-loaded.png"
declare -A place
place[a.jpg]=$(place_of x "$artefacts/2-loaded.png" "255 0 0")
place[$sjis]=$(place_of x "$artefacts/2-loaded.png" "0 128 0")
place[$lone]=$(place_of x "$artefacts/2-loaded.png" "255 255 0")
place[phone.jpg]=$(place_of phone.jpg "$artefacts/2-loaded.png")
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
notice=$(wait_window "お知らせ" 10) || fail "no notice after the batch"
sleep 0.5
screenshot "$artefacts/3-numbered.png"
for name in "${originals[@]}"; do
    [ "$(md5sum <"$photos/$(numbered "$name")" | cut -d' ' -f1)" = "${digest[$name]}" ] ||
        fail "$(printf '%q' "$(numbered "$name")") does not hold the photo it was named after"
done
[ "$(ls -A "$photos" | wc -l)" -eq 4 ] || fail "the folder holds $(ls -A "$photos" | wc -l) entries, expected 4"
click_in "$notice" $((88 + 37)) $((112 + 12))
wait_window_gone "お知らせ" 10 || fail "the notice did not close"
sleep 0.3
click_in "$batch" $((280 + 37)) $((160 + 12))
wait_window_gone "一括連番" 10 || fail "the batch dialog did not close"
sleep 0.5

# The viewer shows the phone photo upright: 200 x 320, unscaled, centred on the screen.
xdotool mousemove --sync "$(cell_x "${place[phone.jpg]}")" "$(cell_y)" click --repeat 2 --delay 80 1
wait_window "画像Ｖｉｅｗ" 10 >/dev/null || fail "the viewer did not open"
upright=
for _ in $(seq 20); do
    sleep 0.25
    screenshot "$work/viewer.png"
    mapfile -t seen < <(pixels_of "$work/viewer.png" "540 300" "470 470")
    if colour_near "${seen[0]}" "$magenta" && colour_near "${seen[1]}" "$cyan"; then
        upright=1
        break
    fi
done
cp "$work/viewer.png" "$artefacts/4-viewer.png"
[ -n "$upright" ] || fail "the viewer does not show the phone photo upright: ${seen[*]}"
click_at 512 384
wait_window_gone "画像Ｖｉｅｗ" 10 || fail "the viewer did not close"
sleep 0.5

# 終了: the settings file goes into the Shift-JIS start folder, and nowhere else.
keys_to "$main" alt+f x
wait_exit "$pid" 15
status=$?
[ "$status" -eq 0 ] || fail "the program did not end cleanly after 終了 (status $status)"
pid=
[ "$(find "$work" -name VOLMARIN.INI | wc -l)" -eq 1 ] ||
    fail "settings files: $(find "$work" -name VOLMARIN.INI -printf '%P ' | od -c | head -3)"
[ "$(sed -n '18p' "$start/VOLMARIN.INI" | tr -d '\r')" = "$photos" ] ||
    fail "line 18 does not hold the Latin-1 folder's own bytes"
[ "$(ls -A "$photos" | wc -l)" -eq 4 ] || fail "a file went missing"
echo "real_folder: 1 passed, 0 failed"
