#!/usr/bin/env bash
# A picture swapped for a FIFO after the chooser has listed the folder: opening a FIFO for
# reading blocks until a writer comes, which once froze the whole program. The load must
# stop at it with the missing-file notice, and the program must end by its menu at once.
set -u
binary=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/e2e_lib.sh"
run_in_x_server 1024x768x24 "$@"

work=$(mktemp -d)
pid=
finish() {
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT

photos=$work/photos
mkdir "$photos"
for i in 1 2 3 4 5 6; do
    make_picture "$photos/p$i.jpg" 320x240 "0 $((i * 40)) 200" || fail "cannot make p$i.jpg"
done
printf '%s\r\n' 0 0 800 600 69 62 198 136 243 242 201 302 205 276 0 0 80 "$photos" \
    >"$work/VOLMARIN.INI"

cd "$work" || fail "cannot enter $work"
start_program
open_chooser
# The chooser is on the screen before it has listed the folder: wait until its file list
# shows the sixth entry, so that p4.jpg was listed as a picture before it is swapped.
read -r list_x list_y <<<"$(point_in "$chooser" $((296 + 4)) $((32 + 2 + 5 * 12)))"
listed=
for _ in $(seq 100); do
    screenshot "$work/chooser.png"
    darkest=$(convert "$work/chooser.png" -crop "100x12+$list_x+$list_y" -colorspace Gray \
        -format "%[fx:round(255*minima)]" info:)
    if [ "$darkest" -lt 100 ]; then
        listed=1
        break
    fi
    sleep 0.1
done
[ -n "$listed" ] || fail "the chooser did not list the six pictures"

# Listed as a picture, now a FIFO that nobody writes to.
rm "$photos/p4.jpg"
mkfifo "$photos/p4.jpg"
click_in "$chooser" $((304 + 37)) $((392 + 12))
notice=$(wait_window お知らせ 10) || fail "the load did not stop at the FIFO with a notice"
click_in "$notice" $((88 + 37)) $((112 + 12))
wait_window_gone お知らせ 5 || fail "the notice did not close on OK"
sleep 0.3

keys alt+f x
wait_exit "$pid" 5
status=$?
[ "$status" -ne 124 ] || fail "the program did not end by its menu after the FIFO"
pid=
[ "$(grep -c $'\r$' "$work/VOLMARIN.INI")" -eq 18 ] || fail "no settings file was written"
echo "fifo: 1 passed, 0 failed"
