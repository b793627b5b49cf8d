#!/usr/bin/env bash
# The soak: an hour of game time (216,000 steps) of back-to-back autopilot
# games, headless, twice, and a shorter run under LeakSanitizer.
#
#   scripts/soak.sh BUILD_DIR SANITIZER_BUILD_DIR [STEPS] [LEAK_STEPS]
#
# The first long run and the leak run draw with OpenGL offscreen (Mesa's
# software rasteriser), not with the null renderer: every texture, mesh,
# stream buffer and compiled shader then lives in the process's own memory, so
# one that is never given back shows in the resident set and under the leak
# checker, where the null renderer, which keeps none of them, would hide it.
# The price is time: about 300 steps a second on two quiet cores, some 12
# minutes for the hour. The second long run plays the same hour with the null
# renderer (15 s): its games must end exactly as the first run's, which also shows that
# drawing never steers the game. SOAK_RENDERER and SOAK_SECOND_RENDERER (gl or
# null) choose otherwise.
#
# 1. Memory: the game writes its peak resident set (the kernel's high-water
#    mark, so no peak between two looks is missed) at each game's end and at
#    the run's end into log/scene.txt. The curve is printed per game; after the
#    second game it may grow by at most 2 MiB. The first two games are where the
#    heap finds its high-water mark: the driver's many short-lived blocks
#    during play land where the C library's allocator places them, a few MiB
#    higher in game 2 than in game 1 with nothing kept (heaptrack holds the
#    same at exit after one game and after two). A leak shows as growth from
#    game to game after that.
# 2. Sameness: both long runs end the same games at the same steps with the
#    same scores and final digests.
# 3. Leaks: the sanitizer build plays LEAK_STEPS steps, a whole game and the
#    start of the next, so that the reset between games is in it. Mesa's
#    driver is kept loaded to the end: it is unloaded with the display, and
#    what it still held would then be reported with no library to name it by.
#    Leaks inside libraries we do not own are suppressed by library name
#    (scripts/soak-lsan.supp); any of ours fails.
set -euo pipefail
BUILD=${1:?build folder}
ASAN=${2:?sanitizer build folder}
STEPS=${3:-216000}
LEAK_STEPS=${4:-36000}
RENDERER=${SOAK_RENDERER:-gl}
SECOND=${SOAK_SECOND_RENDERER:-null}
SRC=$(cd "$(dirname "$0")/.." && pwd)
KORVO="$BUILD/bin/korvo"
DATA=$(cd "$BUILD/bin" && pwd)/data.dll
LIMIT_KIB=2048

for f in "$KORVO" "$ASAN/bin/korvo" "$DATA"; do
  [ -e "$f" ] || { echo "soak: $f is missing (build both first)" >&2; exit 2; }
done
# draw_flags RENDERER: the command-line flags that draw with it.
draw_flags() {
  case $1 in
    gl) echo --headless ;;
    null) echo --null-renderer ;;
    *) echo "soak: a renderer is gl or null, not $1" >&2; return 2 ;;
  esac
}
DRAW1=$(draw_flags "$RENDERER") || exit 2
DRAW2=$(draw_flags "$SECOND") || exit 2

# A game folder of its own with the built library and a score name.
new_home() {
  local home
  home=$(mktemp -d "${TMPDIR:-/tmp}/mz-soak-XXXXXX")
  ln -s "$DATA" "$home/data.dll"
  printf 'scorename,soak\n' >"$home/critical.ini"
  echo "$home"
}

# play NAME HOME STEPS KORVO DRAW_FLAG [VAR=VALUE...]: one run of back-to-back
# autopilot games, with those variables in its environment; says how long it
# took. Its scene log keeps each game's end.
play() {
  local name=$1 home=$2 steps=$3 korvo=$4 draw=$5 start rc=0
  shift 5
  start=$(date +%s)
  env "$@" "$korvo" "$draw" --unpaced --autopilot --frames "$steps" --home "$home" \
    >"$home/out.txt" 2>"$home/err.txt" || rc=$?
  echo "  $name: $steps steps in $(($(date +%s) - start)) s, exit $rc"
  if [ "$rc" -ne 0 ]; then
    tail -40 "$home/err.txt" >&2
    return 1
  fi
}

# games HOME: each ended game as "STEP STEPS SCORE DIGEST PEAK_KIB", then the
# run's end as "STEP end - - PEAK_KIB".
games() {
  sed -n -e 's/^step \([0-9]*\) game over: \([0-9]*\) steps, score \(-\{0,1\}[0-9]*\), final digest \([0-9a-f]*\), peak resident \([0-9]*\) KiB$/\1 \2 \3 \4 \5/p' \
         -e 's/^step \([0-9]*\) end of run: peak resident \([0-9]*\) KiB$/\1 end - - \2/p' "$1/log/scene.txt"
}

# curve HOME: the peak resident set per game and its growth after the second;
# fails beyond the limit, or when fewer than three games ended (no growth to see).
curve() {
  games "$1" | awk -v limit="$LIMIT_KIB" '
    BEGIN { printf "  %-5s %9s %8s %10s  %-16s  %14s %12s\n", "game", "at step", "steps", "score", "final digest", "peak resident", "growth" }
    {
      n = $2 == "end" ? "end" : ++games
      if (n == 2) base = $5
      after = n != 1 && n != 2
      growth = after ? sprintf("%+d KiB", $5 - base) : ""
      if (after && $5 - base > worst) worst = $5 - base
      printf "  %-5s %9d %8s %10s  %-16s  %10d KiB %12s\n", n, $1, $2 == "end" ? "" : $2, $3 == "-" ? "" : $3, $4 == "-" ? "" : $4, $5, growth
    }
    END {
      if (games < 3) { print "soak: fewer than three games ended; play more steps"; exit 1 }
      printf "  growth after the second game: %d KiB (at most %d)\n", worst, limit
      exit worst > limit ? 1 : 0
    }'
}

status=0
a=$(new_home)
b=$(new_home)
c=$(new_home)
echo "== soak 1 ($STEPS steps, renderer $RENDERER)"
if play "soak 1" "$a" "$STEPS" "$KORVO" "$DRAW1"; then curve "$a" || status=1; else status=1; fi
echo "== soak 2 ($STEPS steps, renderer $SECOND)"
if play "soak 2" "$b" "$STEPS" "$KORVO" "$DRAW2"; then curve "$b" || status=1; else status=1; fi

# Steps, score and final digest of every game, without the memory.
games "$a" | awk '$2 != "end" { print $1, $2, $3, $4 }' >"$a/ends.txt"
games "$b" | awk '$2 != "end" { print $1, $2, $3, $4 }' >"$b/ends.txt"
if [ -s "$a/ends.txt" ] && cmp -s "$a/ends.txt" "$b/ends.txt"; then
  echo "== both soaks end the same $(wc -l <"$a/ends.txt") games alike (steps, scores, final digests)"
else
  echo "soak: the two runs end their games differently (or end none):" >&2
  diff "$a/ends.txt" "$b/ends.txt" >&2 || true
  status=1
fi

echo "== leaks ($LEAK_STEPS steps, sanitizer build, renderer $RENDERER)"
# The sanitizer's runtime must come first among preloaded libraries; Mesa's
# driver sits in the folder "dri" beside its EGL library.
preload=$(ldd "$ASAN/bin/korvo" | awk '/libasan/ { print $3 }')
if [ "$RENDERER" = gl ]; then
  egl=$(ldconfig -p | awk '/libEGL_mesa\.so/ { print $NF; exit }')
  driver="${egl%/*}/dri/swrast_dri.so"
  if [ -n "$egl" ] && [ -e "$driver" ]; then
    preload="$preload $driver"
  else
    echo "soak: Mesa's software driver not found; what it holds when unloaded cannot be named" >&2
  fi
fi
if ! play "leak run" "$c" "$LEAK_STEPS" "$ASAN/bin/korvo" "$DRAW1" "LD_PRELOAD=$preload" \
     "LSAN_OPTIONS=suppressions=$SRC/scripts/soak-lsan.supp:print_suppressions=1" \
     ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1; then
  status=1
fi
grep -A20 'Suppressions used' "$c/err.txt" || echo "  no leak, none suppressed"

if [ $status = 0 ]; then
  rm -rf "$a" "$b" "$c"
  echo "== soak passed"
else
  echo "soak FAILED; the runs' folders are kept: $a $b $c" >&2
fi
exit $status
