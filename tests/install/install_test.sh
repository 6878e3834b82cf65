#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, unpacks it into a
# staging root, checks what a Debian user expects in it (dependencies,
# manual pages and shell completion naming every option, documentation,
# icons, hardened programs) and runs the unpacked program offscreen against
# the unpacked k740-sim: its settings and log must land in the XDG folders,
# nothing beside the program. Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
sim_pid=
k740_pid=
cleanup() {
  [ -n "$k740_pid" ] && kill "$k740_pid" 2>/dev/null || true
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "install test: FAILED: $*" >&2; exit 1; }

echo "== package"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.out" 2>&1 ||
  { cat "$work/cpack.out"; fail "cpack"; }
deb=$(ls "$work"/package/k740_*.deb)
lintian_status=0
lintian --fail-on error,warning --display-info --show-overrides "$deb" >"$work/lintian.out" 2>&1 || lintian_status=$?
grep -v 'running with root privileges' "$work/lintian.out" || true
[ "$lintian_status" -eq 0 ] || fail "lintian reports errors or warnings"
# Infos that a Debian package build would not leave: no manual page, no
# hardening, the compilers' .comment section.
! grep -E '^I: .*(no-manual-page|hardening-|binary-has-unneeded-section)' "$work/lintian.out" ||
  fail "lintian finds what the package build should have handled"

echo "== control fields"
depends=$(dpkg-deb -f "$deb" Depends)
grep -q libqt6widgets6 <<<"$depends" || fail "the dependencies did not come from the binaries"
for package in fonts-liberation2 fonts-crosextra-carlito qt6-qpa-plugins; do
  grep -qw "$package" <<<"$depends" || fail "Depends lacks $package"
done
dpkg-deb -f "$deb" Recommends | grep -qw qt6-wayland || fail "Recommends lacks qt6-wayland"
product_page=$(sed -n 's/^const char kProductPage\[\] = "\(.*\)";$/\1/p' "$source_dir/src/ui/main_form_controls.cpp")
[ -n "$product_page" ] || fail "no product page address found in src/ui"
[ "$(dpkg-deb -f "$deb" Homepage)" = "$product_page" ] || fail "Homepage is not the logo's address $product_page"

echo "== unpack and check the desktop data"
root="$work/root"
dpkg-deb -x "$deb" "$root"
bin="$root/usr/bin"
for program in k740 k740-sim k740-position; do
  [ -x "$bin/$program" ] || fail "$program is not installed"
done
desktop-file-validate "$root/usr/share/applications/org.k740.Desktop.desktop"
metainfo="$root/usr/share/metainfo/org.k740.Desktop.metainfo.xml"
appstreamcli validate --pedantic --no-net "$metainfo"
grep -qF "<url type=\"homepage\">$product_page</url>" "$metainfo" || fail "AppStream homepage is not $product_page"
grep -q '<developer_name>' "$metainfo" || fail "AppStream names no developer"
for picture in $(sed -n 's|.*<image[^>]*>https://[^<]*/\([^/<]*\)</image>.*|\1|p' "$metainfo"); do
  [ -f "$source_dir/docs/screenshots/$picture" ] || fail "AppStream screenshot $picture is not in docs/screenshots"
done
grep -q '<screenshot type="default">' "$metainfo" || fail "AppStream shows no screenshot"
icons="$root/usr/share/icons/hicolor"
[ -f "$icons/scalable/apps/org.k740.Desktop.svg" ] || fail "no icon"
for size in 48 64 128; do
  file "$icons/${size}x$size/apps/org.k740.Desktop.png" | grep -q "PNG image data, $size x $size," ||
    fail "no $size-pixel icon"
done

echo "== documentation, manual pages and shell completion"
doc="$root/usr/share/doc/k740"
for file in README.md copyright changelog.gz; do
  [ -s "$doc/$file" ] || fail "$file is not in /usr/share/doc/k740"
done
# The options a program's --help lists: the first column of its option lines.
help_options() {
  env -u DISPLAY -u WAYLAND_DISPLAY "$bin/$1" --help |
    sed -n 's/^  *\([-/][^ ].*\)$/\1/p' | sed 's/   .*//; s/, /\n/g' | sed 's/[ <].*//'
}
completions="$root/usr/share/bash-completion/completions"
for program in k740 k740-sim k740-position; do
  page="$root/usr/share/man/man1/$program.1.gz"
  [ -f "$page" ] || fail "no manual page for $program"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$program.1: $warnings"
  LC_ALL=C.UTF-8 MANWIDTH=200 man --nh --nj -M "$root/usr/share/man" "$program" >"$work/$program.man" ||
    fail "man $program"
  [ -f "$completions/$program" ] || fail "no bash completion for $program"
  # What the completion offers for an empty word and for one dash.
  offered=$(bash -c '. "$1"; f=$(complete -p "$2" | sed "s/.*-F \([^ ]*\) .*/\1/")
    for word in "" -; do COMP_WORDS=("$2" "$word"); COMP_CWORD=1; COMPREPLY=(); "$f"; printf "%s\n" "${COMPREPLY[@]}"; done' \
    _ "$completions/$program" "$program")
  options=$(help_options "$program")
  [ "$(echo "$options" | wc -l)" -ge 3 ] || fail "no options read from $program --help"
  for option in $options; do
    grep -qF -- "$option" "$work/$program.man" || fail "man $program does not name $option"
    grep -qxF -- "$option" <<<"$offered" || fail "bash completion of $program does not offer $option"
  done
done

echo "== --help and --version without a display"
env -u DISPLAY -u WAYLAND_DISPLAY "$bin/k740" --version | grep -q '^k740 [0-9]' || fail "--version"
env -u DISPLAY -u WAYLAND_DISPLAY "$bin/k740" --help | grep -q '/R=<text>' || fail "--help"

echo "== the installed program keeps its files in the XDG folders"
export HOME="$work/home" XDG_DATA_HOME="$work/data" K740_VPORT_DIR="$work/vports" QT_QPA_PLATFORM=offscreen
unset XDG_CONFIG_HOME
mkdir -p "$HOME" # k740-sim creates the port folder private to the user
"$bin/k740-sim" --dir "$K740_VPORT_DIR" --name vcom0 --encoder counter --position 4711 >"$work/sim.out" &
sim_pid=$!
for _ in $(seq 50); do grep -q '^ready' "$work/sim.out" && break; sleep 0.1; done
grep -q '^ready' "$work/sim.out" || fail "k740-sim did not start"
"$bin/k740" /A 2>"$work/k740.err" &
k740_pid=$!
log="$XDG_DATA_HOME/k740/K740_vcom0.LOG"
for _ in $(seq 150); do [ -s "$log" ] && break; sleep 0.1; done
[ -s "$log" ] || fail "no log in $XDG_DATA_HOME/k740/"
kill -TERM "$k740_pid"
wait "$k740_pid" || fail "k740 did not exit cleanly"
k740_pid=
grep -q '^\[K740.vcom0\]' "$HOME/.config/k740/K740.INI" || fail "no settings in ~/.config/k740/"
head -1 "$log" | grep -q '^vcom0;.*;4.711' || fail "unexpected log line: $(head -1 "$log")"
leftovers=$(ls "$bin" | grep -v -x -e k740 -e k740-sim -e k740-position || true)
[ -z "$leftovers" ] || fail "files beside the installed program: $leftovers"
echo "install test: passed"
