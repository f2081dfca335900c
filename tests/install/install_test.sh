#!/bin/sh
# Installs the build into a temporary prefix, as a package would, and plays
# a game with the installed engine: the programs, the audio library in its
# private folder, the desktop entries, the file type, its icon and the demo
# are in place; the engine finds the library from its own folder and plays
# an Ogg sound effect through it (the wave mixer plays WAVE files only, so
# without the library the effect fails and the game stops there); with the
# program's folder and the game's folder read-only, the settings and the
# save go to the per-user folders; and the installed association counts as
# registered, so the engine writes no per-user one over it.
#
# Usage: install_test.sh <build folder> <bin dir> <lib dir> <data dir>
#        (the last three relative to the prefix, as GNUInstallDirs names them)
set -eu

build=$1
bindir=$2
libdir=$3
datadir=$4

fail() {
    echo "install test: $*" >&2
    exit 1
}

tmp=$(mktemp -d)
engine_pid=
cleanup() {
    [ -n "$engine_pid" ] && kill -KILL "$engine_pid" 2>/dev/null
    chmod -R u+w "$tmp" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
chmod 755 "$tmp"
prefix=$tmp/prefix

cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 || { cat "$tmp/install.log" >&2; fail "cmake --install failed"; }

for file in "$bindir/tideglass" "$bindir/tgpack" "$bindir/tgdatmaker"; do
    [ -x "$prefix/$file" ] || fail "$file is not installed"
done
[ -f "$prefix/$libdir/tideglass/libbass.so" ] || fail "$libdir/tideglass/libbass.so is not installed"
[ ! -e "$prefix/$bindir/libbass.so" ] || fail "the audio library is installed beside the programs"
for file in applications/tideglass.desktop applications/tgpack.desktop applications/tgdatmaker.desktop \
    mime/packages/tideglass.xml icons/hicolor/48x48/apps/tideglass.png tideglass/demo/demo.tgs \
    tideglass/demo/bgm/shore.ogg; do
    [ -f "$prefix/$datadir/$file" ] || fail "$datadir/$file is not installed"
done
grep -qx 'Exec=tideglass %f' "$prefix/$datadir/applications/tideglass.desktop" ||
    fail "the installed desktop entry does not run the engine"
if grep -q NoDisplay "$prefix/$datadir/applications/tideglass.desktop"; then
    fail "the installed desktop entry is hidden from the menus"
fi

# A game in a folder of its own that plays the demo's Ogg sea as a sound
# effect and then saves.
game=$tmp/game
mkdir "$game"
cp "$prefix/$datadir/tideglass/demo/bgm/shore.ogg" "$game/effect.ogg"
printf '*SE effect.ogg\r\n*SAVE 1\r\n' >"$game/game.tgs"
chmod -R a-w "$prefix" "$game"

# The player: a user of their own, who cannot write to the installation
# (root can write anywhere, so it plays as nobody).
user=$tmp/user
mkdir -p "$user/home" "$user/config" "$user/data" "$user/cache" "$user/runtime"
chmod 700 "$user/runtime"
as_player=
if [ "$(id -u)" -eq 0 ]; then
    chown -R 65534:65534 "$user"
    as_player="setpriv --reuid=65534 --regid=65534 --clear-groups"
fi
# Runs a command as the player, in place of the (sub)shell that calls it.
data_dirs=/usr/local/share:/usr/share
player() {
    exec env -i PATH=/usr/bin:/bin XDG_DATA_DIRS="$data_dirs" HOME="$user/home" XDG_CONFIG_HOME="$user/config" XDG_DATA_HOME="$user/data" \
        XDG_CACHE_HOME="$user/cache" XDG_RUNTIME_DIR="$user/runtime" QT_QPA_PLATFORM=offscreen \
        SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$user/sound.raw" "$@"
}

player $as_player "$prefix/$bindir/tideglass" "$game/game.tgs" >"$tmp/engine.log" 2>&1 &
engine_pid=$!

# The engine runs until it is told to close; wait (at most a minute) for the
# save and for sound that is not silence in what the audio device received.
saved=
heard=
deadline=$(($(date +%s) + 60))
while [ "$(date +%s)" -lt $deadline ]; do
    kill -0 "$engine_pid" 2>/dev/null || break
    if [ -z "$saved" ] && [ -n "$(find "$user/data/tideglass/saves" -name 'game1.sav' 2>/dev/null)" ]; then
        saved=yes
    fi
    if [ -z "$heard" ] && [ -f "$user/sound.raw" ] &&
        [ "$(tr -d '\000' <"$user/sound.raw" | head -c 1 | wc -c)" -gt 0 ]; then
        heard=yes
    fi
    [ -n "$saved" ] && [ -n "$heard" ] && break
    sleep 0.2
done
kill -TERM "$engine_pid" 2>/dev/null || true
status=0
wait "$engine_pid" || status=$?
engine_pid=
if [ -z "$saved" ] || [ -z "$heard" ] || [ $status -ne 0 ]; then
    cat "$tmp/engine.log" >&2
    [ -n "$saved" ] || fail "the game did not get past its sound effect to save in the per-user folder"
    [ -n "$heard" ] || fail "the sound effect was not heard"
    fail "the engine ended with status $status"
fi
[ -f "$user/config/tideglass/tideglass.ini" ] || fail "the settings were not written to the per-user folder"

# The installed association counts as registered: "-i" writes no per-user
# entry that would hide the installed one.
data_dirs=$prefix/$datadir
(player $as_player "$prefix/$bindir/tideglass" -i) >>"$tmp/engine.log" 2>&1 ||
    { cat "$tmp/engine.log" >&2; fail "tideglass -i failed"; }
[ ! -e "$user/data/applications/tideglass.desktop" ] || fail "-i wrote a per-user association over the installed one"

echo "install test: passed"
