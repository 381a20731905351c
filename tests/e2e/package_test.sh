#!/usr/bin/env bash
# Builds the Debian package from the build tree that holds the binary, checks what it
# carries and depends on, validates the installed desktop entry and AppStream metainfo,
# then unpacks it into an empty root and starts the unpacked program in a real X server.
set -u
binary=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/e2e_lib.sh"
run_in_x_server 1280x1024x24 "$@"

build_dir=$(cd "$(dirname "$binary")" && pwd)
while [ "$build_dir" != / ] && [ ! -f "$build_dir/CPackConfig.cmake" ]; do
    build_dir=$(dirname "$build_dir")
done
[ -f "$build_dir/CPackConfig.cmake" ] || fail "no CPackConfig.cmake above $binary"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A private output folder: other runs of cpack on the same build tree stay apart.
cpack -G DEB -B "$work/out" --config "$build_dir/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$work/cpack.log")"
debs=("$work"/out/volmarin_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one volmarin_*.deb, got: ${debs[*]}"
deb=${debs[0]}

[ "$(dpkg-deb -f "$deb" Package)" = volmarin ] || fail "package name: $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = 1.6.0 ] || fail "version: $(dpkg-deb -f "$deb" Version)"
[ "$(dpkg-deb -f "$deb" Section)" = graphics ] || fail "section: $(dpkg-deb -f "$deb" Section)"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] ||
    fail "architecture: $(dpkg-deb -f "$deb" Architecture)"

expected_files=(
    usr/bin/volmarin
    usr/share/applications/volmarin.desktop
    usr/share/metainfo/org.volmarin.Volmarin.metainfo.xml
    usr/share/icons/hicolor/scalable/apps/volmarin.svg
)
for size in 16 32 48 64 128 256; do
    expected_files+=("usr/share/icons/hicolor/${size}x${size}/apps/volmarin.png")
done
dpkg-deb -c "$deb" | awk '{ print $NF }' | sed 's|^\./||' >"$work/contents"
for f in "${expected_files[@]}"; do
    grep -qx "$f" "$work/contents" || fail "the package lacks $f"
done

# Depends, one package name per line (versions dropped, alternatives split).
dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed 's/(.*)//; s/[[:space:]]//g' | sed '/^$/d' \
    >"$work/depends"
requires() {
    grep -qx "$1" "$work/depends" || fail "Depends lacks $1 ($2): $(dpkg-deb -f "$deb" Depends)"
}
# Every Qt and JPEG library the program links, by the package that ships it here.
for lib in $(readelf -d "$binary" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p' |
    grep -E '^lib(Qt6|jpeg)'); do
    path=$(ldd "$binary" | awk -v lib="$lib" '$1 == lib { print $3 }')
    [ -n "$path" ] || fail "ldd cannot resolve $lib"
    owner=$(dpkg -S "$(realpath "$path")" 2>/dev/null | head -1 | cut -d: -f1)
    [ -n "$owner" ] || owner=$(dpkg -S "$path" 2>/dev/null | head -1 | cut -d: -f1)
    [ -n "$owner" ] || fail "no installed package holds $path"
    requires "$owner" "$lib"
done
grep -q '^libjpeg' "$work/depends" || fail "Depends names no JPEG library package"
# Qt loads the X11 platform plugin at run time, where the shared-library scan cannot see it.
plugin_owner=$(dpkg -S '*/qt6/plugins/platforms/libqxcb.so' 2>/dev/null | head -1 | cut -d: -f1)
[ -n "$plugin_owner" ] || fail "no installed package holds the xcb platform plugin"
requires "$plugin_owner" "xcb platform plugin"
requires fonts-ipafont-gothic "Japanese glyphs"

root="$work/root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"

desktop="$root/usr/share/applications/volmarin.desktop"
metainfo="$root/usr/share/metainfo/org.volmarin.Volmarin.metainfo.xml"
report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate: $report"
report=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli: $report"
! grep -qE '^[EW]:' <<<"$report" || fail "appstreamcli: $report"

# The pieces must name one another: menu entry -> program and icon, metainfo -> menu entry.
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$root/usr/bin/$exec_name" ] || fail "Exec=$exec_name is not a program in the package"
icon_name=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon_name.svg" ] ||
    fail "Icon=$icon_name has no scalable icon"
grep -q '<launchable type="desktop-id">volmarin.desktop</launchable>' "$metainfo" ||
    fail "the metainfo does not launch volmarin.desktop"
for size in 16 32 48 64 128 256; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon_name.png"
    file "$png" | grep -q "PNG image data, $size x $size," ||
        fail "$png is not a ${size}x${size} PNG: $(file -b "$png")"
done

# The unpacked program, started in an empty folder, shows its main window, quits through
# the menu and leaves its settings file behind.
mkdir "$work/run"
cd "$work/run"
QT_QPA_PLATFORM=xcb "$root/usr/bin/volmarin" >"$work/out.log" 2>&1 &
pid=$!
main=$(wait_window VOLMARIN 15) || fail "the main window did not appear: $(cat "$work/out.log")"
sleep 0.5 # the start-up step runs on the first 100 ms tick

# ファイル(&F) then 終了(&X), by their access keys.
keys_to "$main" alt+f x
wait_exit "$pid" 10 || fail "the unpacked program did not end after the exit command"
[ -f "$work/run/VOLMARIN.INI" ] || fail "the unpacked program wrote no VOLMARIN.INI"
[ "$(grep -c $'\r$' "$work/run/VOLMARIN.INI")" -eq 18 ] ||
    fail "VOLMARIN.INI should hold 18 CR LF lines: $(cat -A "$work/run/VOLMARIN.INI")"

echo "package: 1 passed, 0 failed"
