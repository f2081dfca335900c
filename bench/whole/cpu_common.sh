# Shared by the whole-program benchmarks: a bare X server of their own, the
# processor time a program takes over a fixed window, and medians.
# Sourced, not run. Knobs (environment): ROUNDS (5), WINDOW seconds (10),
# SETTLE seconds before each window (3), SDL_AUDIODRIVER (dummy).

ROUNDS=${ROUNDS:-5}
WINDOW=${WINDOW:-10}
SETTLE=${SETTLE:-3}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

WORK=$(mktemp -d)
XVFB_PID=
PROGRAM_PID=

cleanup()
{
    [ -n "$PROGRAM_PID" ] && kill "$PROGRAM_PID" 2>/dev/null && wait "$PROGRAM_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A home and per-user folders of its own, so no setting of the user's leaks in.
mkdir -p "$WORK/home" "$WORK/config" "$WORK/data" "$WORK/cache" "$WORK/runtime"
chmod 700 "$WORK/runtime"
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data \
    XDG_CACHE_HOME=$WORK/cache XDG_RUNTIME_DIR=$WORK/runtime
unset WAYLAND_DISPLAY

# Starts a bare X server on a display it picks itself and exports DISPLAY.
start_xvfb()
{
    Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$WORK/display" 2>"$WORK/xvfb.log" &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$WORK/display" ] && break
        sleep 0.1
    done
    [ -s "$WORK/display" ] || { echo "Xvfb did not start" >&2; cat "$WORK/xvfb.log" >&2; exit 1; }
    export DISPLAY=:$(head -n 1 "$WORK/display")
    export QT_QPA_PLATFORM=xcb
}

# Nanoseconds every thread of process $1 has run so far. The scheduler's
# own count, in nanoseconds: the clock ticks of /proc/<pid>/stat are too
# coarse for a program that is meant to take a few milliseconds a second.
# A thread that ends inside the window takes its time with it; the
# programs measured keep theirs.
cpu_ns()
{
    cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f\n", s }'
}

# Runs the command given, lets it settle, and prints the milliseconds of
# processor time it takes over the window; then stops it.
measure()
{
    "$@" >"$WORK/program.log" 2>&1 &
    PROGRAM_PID=$!
    sleep "$SETTLE"
    if ! kill -0 "$PROGRAM_PID" 2>/dev/null; then
        echo "the program ended before the window: $*" >&2
        cat "$WORK/program.log" >&2
        exit 1
    fi
    local before after
    before=$(cpu_ns "$PROGRAM_PID")
    sleep "$WINDOW"
    after=$(cpu_ns "$PROGRAM_PID")
    kill "$PROGRAM_PID" 2>/dev/null
    wait "$PROGRAM_PID" 2>/dev/null
    PROGRAM_PID=
    awk -v a="$after" -v b="$before" 'BEGIN { printf "%.1f\n", (a - b) / 1e6 }'
}

median()
{
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Interleaves rounds of the program ($1, a shell function) and the
# reference ($2), and prints both medians and their ratio against `target`.
compare()
{
    local program=$1 reference=$2 target=$3 p=() r=() i
    for i in $(seq "$ROUNDS"); do
        p+=("$($program)") || exit 1
        r+=("$($reference)") || exit 1
        echo "  round $i: program ${p[-1]} ms, reference ${r[-1]} ms"
    done
    local pm rm
    pm=$(median "${p[@]}")
    rm=$(median "${r[@]}")
    awk -v p="$pm" -v r="$rm" -v t="$target" 'BEGIN {
        ratio = r > 0 ? p / r : 0
        printf "median over %s s: program %s ms, reference %s ms, ratio %.3f (target <= %s)\n", '"$WINDOW"', p, r, ratio, t
    }'
}
