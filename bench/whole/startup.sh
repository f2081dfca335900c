#!/usr/bin/env bash
# Start-up to a shown window: the engine on the demo game against a bare Qt
# widget program, each from its start to the first map of its window on a
# bare X server of this script's own (no window manager), in interleaved
# rounds; prints each median and their ratio. A third program, the engine's
# main window without the engine (its face, menu bar and command line), runs
# in the same rounds: what a window like the engine's costs in Qt alone.
#
#   bench/whole/startup.sh [build folder] [rounds]
#
# The build folder (default build/release) holds apps/tideglass and
# bench/whole/{startup_map_timer,startup_reference,startup_menu_reference}.
# Like a desktop without a session bus: DBUS_SESSION_BUS_ADDRESS is unset,
# and home and per-user folders are fresh.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
pairs=${2:-7}
engine=$build/apps/tideglass
timer=$build/bench/whole/startup_map_timer
reference=$build/bench/whole/startup_reference
menu=$build/bench/whole/startup_menu_reference
demo=$root/examples/demo/demo.tgs
for f in "$engine" "$timer" "$reference" "$menu"; do
  [ -x "$f" ] || { echo "startup.sh: $f is missing (build it first)" >&2; exit 1; }
done
command -v Xvfb >/dev/null || { echo "startup.sh: no Xvfb" >&2; exit 1; }

tmp=$(mktemp -d)
xvfb=
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

# A display number the server picks itself among the free ones.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$tmp/display" ] && break
  sleep 0.1
done
[ -s "$tmp/display" ] || { echo "startup.sh: Xvfb did not start" >&2; cat "$tmp/xvfb.log" >&2; exit 1; }
display=:$(head -n 1 "$tmp/display")

# One timed start of "$@" in a fresh home; prints milliseconds.
run() {
  local home
  home=$(mktemp -d "$tmp/run.XXXXXX")
  mkdir -p "$home/home" "$home/config" "$home/data" "$home/cache" "$home/runtime"
  chmod 700 "$home/runtime"
  env -u DBUS_SESSION_BUS_ADDRESS -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY \
    DISPLAY="$display" HOME="$home/home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
    XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home/runtime" \
    "$timer" "$@" 2>>"$tmp/programs.log"
  rm -rf "$home"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# A first start of each fills the page cache.
run "$engine" "$demo" >/dev/null
run "$reference" >/dev/null
run "$menu" >/dev/null
: >"$tmp/engine"
: >"$tmp/reference"
: >"$tmp/menu"
for i in $(seq "$pairs"); do
  run "$engine" "$demo" >>"$tmp/engine"
  run "$reference" >>"$tmp/reference"
  run "$menu" >>"$tmp/menu"
done
e=$(median <"$tmp/engine")
r=$(median <"$tmp/reference")
m=$(median <"$tmp/menu")
echo "start-up to a shown window, median of $pairs interleaved rounds (ms)"
echo "  engine (demo game):        $e   [$(tr '\n' ' ' <"$tmp/engine")]"
echo "  bare Qt window:            $r   [$(tr '\n' ' ' <"$tmp/reference")]"
echo "  its window without engine: $m   [$(tr '\n' ' ' <"$tmp/menu")]"
awk -v e="$e" -v r="$r" 'BEGIN { printf "  ratio: %.2f (target <= 1.5)\n", e / r }'
awk -v e="$e" -v m="$m" -v r="$r" \
  'BEGIN { printf "  the window alone: %.2f of the bare window; the engine: %.2f of the window alone\n", m / r, e / m }'
