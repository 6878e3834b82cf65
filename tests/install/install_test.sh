#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, unpacks it into a
# staging root and runs the unpacked program offscreen against the unpacked
# k740-sim: its settings and log must land in the XDG folders, nothing beside
# the program. Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
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
lintian --fail-on error "$deb" >"$work/lintian.out" 2>&1 || lintian_status=$?
grep -v 'running with root privileges' "$work/lintian.out" || true
[ "$lintian_status" -eq 0 ] || fail "lintian reports errors"
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "the dependencies did not come from the binaries"

echo "== unpack and check the desktop data"
root="$work/root"
dpkg-deb -x "$deb" "$root"
bin="$root/usr/bin"
for program in k740 k740-sim k740-position; do
  [ -x "$bin/$program" ] || fail "$program is not installed"
done
desktop-file-validate "$root/usr/share/applications/org.k740.Desktop.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.k740.Desktop.metainfo.xml"
[ -f "$root/usr/share/icons/hicolor/scalable/apps/org.k740.Desktop.svg" ] || fail "no icon"

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
