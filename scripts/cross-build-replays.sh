#!/usr/bin/env bash
# Determinism across builds: the normal build and the sanitizer build each
# record an autopilot full run, and each run is verified by the other build,
# digest by digest. A mismatch fails and says which build recorded, which
# verified and the first step that differs.
#
#   scripts/cross-build-replays.sh NORMAL_BUILD_DIR SANITIZER_BUILD_DIR
set -euo pipefail

normal=$(realpath "$1")
sanitized=$(realpath "$2")
data="$normal/bin/data.dll"
for f in "$normal/bin/korvo" "$sanitized/bin/korvo" "$data"; do
  [ -e "$f" ] || { echo "cross-build replays: $f is missing (build both first)" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

name() { [ "$1" = "$normal" ] && echo "the normal build" || echo "the sanitizer build"; }

# A game folder of its own for each run.
home() {
  mkdir -p "$work/$1"
  ln -s "$data" "$work/$1/data.dll"
  printf 'scorename,cross\n' > "$work/$1/critical.ini"
}

# record BUILD HOME: one autopilot game from the title; its replay stays in HOME.
record() {
  home "$2"
  if ! "$1/bin/korvo" --null-renderer --unpaced --autopilot --games 1 --frames 200000 --home "$work/$2" \
      || [ ! -f "$work/$2/replay/_tmp.dat" ]; then
    echo "cross-build replays FAILED: $(name "$1") recorded no game" >&2
    exit 1
  fi
}

# verify BUILD RECORDER HOME: BUILD plays what RECORDER recorded into HOME.
verify() {
  local out rc=0
  home "verify-$3"
  out=$("$1/bin/korvo" --verify-replay "$work/$3/replay/_tmp.dat" --verbose --home "$work/verify-$3") || rc=$?
  if [ "$rc" -ne 0 ]; then
    echo "cross-build replays FAILED: recorded by $(name "$2"), verified by $(name "$1") (exit $rc):" >&2
    echo "$out" >&2
    exit 1
  fi
  echo "cross-build replays: recorded by $(name "$2"), verified by $(name "$1"): $out"
}

record "$normal" normal
record "$sanitized" sanitized
verify "$sanitized" "$normal" normal
verify "$normal" "$sanitized" sanitized
