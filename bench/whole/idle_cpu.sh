#!/usr/bin/env bash
# The engine waiting for a typed command with nothing playing, against a
# bare Qt program with a 1 ms timer (what the original's idle loop of
# Sleep(1) costs at least), each under the same bare X server:
#     bench/whole/idle_cpu.sh [build folder]   (default build/release)
# The target is a ratio of at most 0.05.
set -euo pipefail
BUILD=${1:-build/release}
ENGINE=$BUILD/apps/tideglass
REFERENCE=$BUILD/bench/qt_timer_reference
for f in "$ENGINE" "$REFERENCE"; do
    [ -x "$f" ] || { echo "missing $f (build the Release targets first)" >&2; exit 1; }
done
. "$(dirname "$0")/cpu_common.sh"

mkdir -p "$WORK/game"
printf '*SCENE s\r\n>look\r\nlooked\r\n*END\r\n*SCENEEND\r\n' >"$WORK/game/idle.tgs"

engine() { measure "$ENGINE" "$WORK/game/idle.tgs"; }
reference() { measure "$REFERENCE"; }

start_xvfb
echo "idle: engine waiting for a command vs a bare 1 ms Qt timer ($ROUNDS rounds, driver $SDL_AUDIODRIVER)"
compare engine reference 0.05
