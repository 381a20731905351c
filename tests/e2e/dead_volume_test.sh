#!/usr/bin/env bash
# A volume that does not answer, mounted in the folder the program starts in and holding its
# default folder: a FUSE file system whose server is stopped with SIGSTOP, as a network
# share whose server is gone or a pulled USB stick behaves. The main window still appears,
# 開く still opens the chooser in the start folder, the volume is listed, and choosing it in
# the drive box or in the folder list gives the notice of a folder that cannot be entered.
# Once the server is back the volume is entered; when it stops again, the next 開く gives
# the notice rather than freeze on the folder in use. The program ends by its menu at once
# and keeps the default folder for the next start.
# Skipped where FUSE cannot be mounted.
set -u
binary=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/e2e_lib.sh"
skip() {
    echo "dead_volume: skipped: $*"
    exit 77
}
fs=$(cd "$(dirname "$binary")/.." && pwd)/tests/stalling_fs
[ -x "$fs" ] || skip "the FUSE test file system was not built (libfuse3-dev is missing)"
[ -c /dev/fuse ] && command -v fusermount3 >/dev/null || skip "no /dev/fuse or fusermount3"
run_in_x_server 1024x768x24 "$@"
prepare_test_folders dead_volume

nas=$work/nas
fs_pid=
# Whatever happens, the server runs again and the volume goes, so nothing that comes later
# meets a dead mount.
finish() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        screenshot "$artefacts/failure-while-stopped.png"
    fi
    if [ -n "$fs_pid" ]; then
        kill -CONT "$fs_pid" 2>/dev/null
        fusermount3 -u -z "$nas" 2>/dev/null
        kill "$fs_pid" 2>/dev/null
        wait "$fs_pid" 2>/dev/null
    fi
    end_of_test
}
trap finish EXIT

mkdir "$nas"
"$fs" -f -s "$nas" >"$work/fs.log" 2>&1 &
fs_pid=$!
for _ in $(seq 50); do
    grep -q " $nas .* - fuse" /proc/self/mountinfo && break
    sleep 0.1
done
grep -q " $nas .* - fuse" /proc/self/mountinfo || skip "FUSE cannot be mounted here: $(cat "$work/fs.log")"
kill -STOP "$fs_pid"
sleep 1.5 # what the kernel remembers of the volume expires, so every question reaches it

printf '%s\r\n' 0 0 800 600 69 62 198 136 243 242 201 302 205 276 0 0 80 "$nas/DCIM" \
    >"$work/VOLMARIN.INI"
cd "$work" || fail "cannot enter $work"
start_program
open_chooser
sleep 0.5
screenshot "$artefacts/chooser.png"

# Drive box: the popup's entries are found by typing the start of their text.
choose_volume() {
    click_in "$chooser" 80 17
    sleep 0.5
    [ -n "${1:-}" ] && screenshot "$1"
    xdotool type --delay 30 "$nas"
    keys Return
}
# The notice of a folder that cannot be entered, in a screenshot $1, after step $2; its OK.
expect_notice() {
    notice=$(wait_window お知らせ 15) || fail "$2 gave no notice"
    sleep 0.3
    screenshot "$artefacts/$1-notice.png"
    click_in "$notice" $((88 + 37)) $((112 + 12))
    wait_window_gone お知らせ 5 || fail "the notice did not close on OK"
}
cancel_chooser() {
    click_in "$chooser" $((392 + 37)) $((392 + 12))
    wait_window_gone 開く 5 || fail "キャンセル did not close the chooser"
}
choose_volume "$artefacts/drive-box.png"
expect_notice drive-box "choosing the stopped volume in the drive box"

# Folder list: "/", each folder down to the start folder, then its sub-folder nas; the
# notice comes only from that row, so the chooser is still in the start folder.
IFS=/ read -r -a parts <<<"${work#/}"
row=$((${#parts[@]} + 1))
read -r x y <<<"$(point_in "$chooser" 100 $((32 + 2 + row * 16 + 8)))"
xdotool mousemove --sync "$x" "$y" click --repeat 2 --delay 80 1
expect_notice folder-list "choosing the stopped volume in the folder list"

# The server comes back: the volume can be entered. It stops again while the chooser is
# closed: the next 開く gives the notice instead of freezing on the folder in use.
kill -CONT "$fs_pid"
choose_volume
sleep 0.5
screenshot "$artefacts/volume-entered.png"
wait_window お知らせ 1 >/dev/null && fail "the volume that answers again could not be entered"
cancel_chooser
kill -STOP "$fs_pid"
sleep 1.5
keys_to "$main" alt+f o
expect_notice reopened "開く on the stopped volume in use"
cancel_chooser

keys_to "$main" alt+f x
# LeakSanitizer's look at the heap on exit first stops every thread, which a thread waiting
# on the stopped server never does: under the sanitizers the server answers again once the
# exit has been asked for. The program itself ends with the server stopped.
[ -n "${ASAN_OPTIONS:-}" ] && sleep 1 && kill -CONT "$fs_pid"
wait_exit "$pid" 10
[ $? -ne 124 ] || fail "the program did not end by its menu"
pid=
line18=$(sed -n '18p' "$work/VOLMARIN.INI" | tr -d '\r')
[ "$line18" = "$nas/DCIM" ] || fail "the default folder was not kept: '$line18'"
echo "dead_volume: 1 passed, 0 failed"
