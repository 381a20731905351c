#!/usr/bin/env bash
# Starts the real program in a folder whose VOLMARIN.INI places the main window, quits
# through the menu with the keyboard, and checks the eighteen CR LF lines written there.
set -u
binary=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/e2e_lib.sh"
run_in_x_server 1280x1024x24 "$@"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/photos"
printf '%s\r\n' 40 30 700 500 69 62 198 136 243 242 201 302 205 276 0 0 120 "$work/photos" \
    >"$work/VOLMARIN.INI"

cd "$work"
QT_QPA_PLATFORM=xcb "$binary" >"$work/out.log" 2>&1 &
pid=$!
main=$(wait_window VOLMARIN) || fail "the main window did not appear"
sleep 0.5 # the start-up step runs on the first 100 ms tick

# ファイル(&F) then 終了(&X), by their access keys.
keys_to "$main" alt+f x
wait_exit "$pid" 10 || fail "the program did not end after the exit command"

mapfile -t lines < <(sed 's/\r$//' "$work/VOLMARIN.INI")
[ "${#lines[@]}" -eq 18 ] || fail "expected 18 lines, got ${#lines[@]}"
[ "$(grep -c $'\r$' "$work/VOLMARIN.INI")" -eq 18 ] || fail "every line must end in CR LF"
expected=(40 30 700 500 69 62 198 136 243 242 201 302 205 276 0 0 120 "$work/photos")
for i in "${!expected[@]}"; do
    [ "${lines[$i]}" = "${expected[$i]}" ] ||
        fail "line $((i + 1)): expected '${expected[$i]}', got '${lines[$i]}'"
done
echo "exit_settings: 1 passed, 0 failed"
