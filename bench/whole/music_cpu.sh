#!/usr/bin/env bash
# The engine playing a song while it waits for a typed command, against
# FluidSynth's own command-line player playing the same song with the same
# sound font through the same audio driver (SDL, whose driver both take
# from SDL_AUDIODRIVER), each under the same bare X server:
#     bench/whole/music_cpu.sh [build folder] [song.mid]
# (default build/release and the demo's beach song). The target is a ratio
# of at most 1.0.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=${1:-build/release}
SONG=${2:-$HERE/../../examples/demo/bgm/beach.mid}
ENGINE=$BUILD/apps/tideglass
[ -x "$ENGINE" ] || { echo "missing $ENGINE (build the Release targets first)" >&2; exit 1; }
command -v fluidsynth >/dev/null || { echo "fluidsynth is not installed" >&2; exit 1; }
FONT=${TIDEGLASS_SOUNDFONT:-}
for f in /usr/share/sounds/sf2/default-GM.sf2 /usr/share/sounds/sf2/TimGM6mb.sf2; do
    [ -n "$FONT" ] || { [ -f "$f" ] && FONT=$f; }
done
[ -f "$FONT" ] || { echo "no General MIDI sound font" >&2; exit 1; }
export TIDEGLASS_SOUNDFONT=$FONT
. "$HERE/cpu_common.sh"

mkdir -p "$WORK/game"
cp "$SONG" "$WORK/game/song.mid"
printf '*SCENE s\r\n*BGM song\r\n>look\r\nlooked\r\n*END\r\n*SCENEEND\r\n' >"$WORK/game/music.tgs"

engine() { measure "$ENGINE" "$WORK/game/music.tgs"; }
# The player plays its list once; the song given often enough fills the window.
reference() { measure fluidsynth -q -a sdl2 -i "$FONT" $(for _ in $(seq 20); do echo "$WORK/game/song.mid"; done); }

start_xvfb
echo "music: engine playing $(basename "$SONG") vs fluidsynth -a sdl2 ($ROUNDS rounds, driver $SDL_AUDIODRIVER)"
compare engine reference 1.0
