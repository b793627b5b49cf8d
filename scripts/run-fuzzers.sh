#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for the given number of seconds each,
# starting from the seeds in fuzz/corpus/<target> (new inputs go to the build's
# own corpus, the seeds are never changed). Prints each target's executions and
# the total; fails when any target found a crash, a leak, a hang or an
# allocation beyond its limit (the input is kept under fuzz-artifacts/).
#
#   scripts/run-fuzzers.sh BUILD_DIR SECONDS [TARGET...]
set -euo pipefail
BUILD=${1:?build folder}
SECONDS_EACH=${2:?seconds per target}
shift 2
SRC=$(cd "$(dirname "$0")/.." && pwd)

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for bin in "$BUILD"/fuzz/fuzz_*; do targets+=("${bin##*/fuzz_}"); done
fi

# Leaks inside libraries we do not own are listed by name; ours all count.
export LSAN_OPTIONS="suppressions=$SRC/fuzz/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

total=0
failed=()
printf '%-18s %12s %8s %s\n' target executions corpus result
for name in "${targets[@]}"; do
  work="$BUILD/fuzz-corpus/$name"
  artifacts="$BUILD/fuzz-artifacts/$name/"
  log="$BUILD/fuzz-logs/$name.log"
  mkdir -p "$work" "$artifacts" "$(dirname "$log")"
  # One input may take at most 20 s and 2 GiB; a single allocation beyond
  # 1 GiB counts as a crash (a memory bomb).
  if "$BUILD/fuzz/fuzz_$name" -max_total_time="$SECONDS_EACH" -print_final_stats=1 -timeout=20 \
       -rss_limit_mb=2048 -malloc_limit_mb=1024 -artifact_prefix="$artifacts" \
       "$work" "$SRC/fuzz/corpus/$name" >"$log" 2>&1; then
    result=ok
  else
    result="FAILED (see $log)"
    failed+=("$name")
  fi
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  execs=${execs:-0}
  total=$((total + execs))
  printf '%-18s %12s %8s %s\n' "$name" "$execs" "$(find "$work" -type f | wc -l)" "$result"
done
printf '%-18s %12s\n' total "$total"
if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzz targets that failed: ${failed[*]}" >&2
  exit 1
fi
