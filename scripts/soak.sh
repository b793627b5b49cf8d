#!/usr/bin/env bash
# The soak: an hour of game time (216,000 steps) of back-to-back autopilot
# games, headless, twice, and a shorter run under LeakSanitizer.
#
#   scripts/soak.sh BUILD_DIR ASAN_BUILD_DIR [STEPS] [LEAK_STEPS]
#
# 1. Peak memory: the resident set's high-water mark is sampled every second;
#    after the first game has ended it may grow by at most 2 MiB. The curve is
#    printed (one sample a minute).
# 2. Leaks: the sanitizer build plays LEAK_STEPS steps; leaks inside Mesa and
#    the mesh importer are suppressed by name (scripts/soak-lsan.supp), any of
#    ours fails.
# 3. Sameness: the two long runs must end on the same final digests.
set -euo pipefail
BUILD=${1:?build folder}
ASAN=${2:?sanitizer build folder}
STEPS=${3:-216000}
LEAK_STEPS=${4:-36000}
SRC=$(cd "$(dirname "$0")/.." && pwd)
KORVO="$BUILD/bin/korvo"

if ! "$KORVO" --help | grep -q -- "--autopilot"; then
  echo "soak: korvo has no --autopilot yet; the soak needs it" >&2
  exit 2
fi

# A game folder of its own with the built library and a score name.
new_home() {
  local home
  home=$(mktemp -d "${TMPDIR:-/tmp}/mz-soak-XXXXXX")
  ln -s "$(cd "$(dirname "$KORVO")" && pwd)/data.dll" "$home/data.dll"
  printf 'scorename,soak\n' >"$home/critical.ini"
  echo "$home"
}

# Runs one soak; prints its final digests into $1/digests.txt and its memory
# curve into $1/rss.txt ("seconds peak_kib first_game_over").
soak_once() {
  local home=$1
  "$KORVO" --headless --null-renderer --unpaced --autopilot --frames "$STEPS" --home "$home" \
    >"$home/out.txt" 2>"$home/err.txt" &
  local pid=$! t=0 first=0
  : >"$home/rss.txt"
  while kill -0 "$pid" 2>/dev/null; do
    local hwm
    hwm=$(sed -n 's/^VmHWM:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$pid/status" 2>/dev/null || true)
    if [ "$first" = 0 ] && grep -q ' stage -5$' "$home/log/scene.txt" 2>/dev/null; then first=1; fi
    [ -n "$hwm" ] && echo "$t $hwm $first" >>"$home/rss.txt"
    sleep 1
    t=$((t + 1))
  done
  wait "$pid"
  grep -i 'digest' "$home/out.txt" "$home/log/"*.txt 2>/dev/null | sed 's/^[^:]*://' >"$home/digests.txt" || true
}

check_growth() {
  local home=$1
  awk 'NR % 60 == 1 { printf "  %5d s  %8d KiB peak%s\n", $1, $2, ($3 ? "" : "  (first game)") }
       $3 == 1 && base == "" { base = $2 }
       { last = $2 }
       END {
         if (base == "") { print "soak: the first game never ended"; exit 1 }
         growth = last - base
         printf "  peak after the first game: %d KiB, at the end: %d KiB, growth %d KiB\n", base, last, growth
         exit growth > 2048 ? 1 : 0
       }' "$home/rss.txt"
}

status=0
a=$(new_home); b=$(new_home)
echo "== soak 1 ($STEPS steps)"; soak_once "$a"; check_growth "$a" || status=1
echo "== soak 2 ($STEPS steps)"; soak_once "$b"; check_growth "$b" || status=1
if cmp -s "$a/digests.txt" "$b/digests.txt" && [ -s "$a/digests.txt" ]; then
  echo "== both soaks end on the same digests"
else
  echo "soak: the two runs end on different (or no) digests" >&2
  status=1
fi

echo "== leaks ($LEAK_STEPS steps, sanitizer build)"
c=$(new_home)
if ! LSAN_OPTIONS="suppressions=$SRC/scripts/soak-lsan.supp:print_suppressions=0" ASAN_OPTIONS=detect_leaks=1 \
     "$ASAN/bin/korvo" --headless --null-renderer --unpaced --autopilot --frames "$LEAK_STEPS" --home "$c" \
     >"$c/out.txt" 2>"$c/err.txt"; then
  grep -A12 'LeakSanitizer' "$c/err.txt" >&2 || tail -20 "$c/err.txt" >&2
  status=1
fi
[ $status = 0 ] && rm -rf "$a" "$b" "$c"
exit $status
