#!/usr/bin/env bash
# Starts the built game from its build folder. The game's program folder is the
# folder of the executable (BUILD/bin): korvo.ini, critical.ini, logs, replays and
# snapshots live there.
#
# The game refuses to start without a score name, which the settings program
# writes into critical.ini. When none is set yet, this script sets the user's
# login name (or SCORENAME from the environment) the same way, so that
# 'make run' gets to the title; an existing score name is never changed.
# Extra arguments go to the game (for example --headless --frames 120).
set -euo pipefail
BUILD=${1:-build}
shift || true
GAME="$BUILD/bin/korvo"
if [ ! -x "$GAME" ]; then
  echo "The game is not built: $GAME is missing (run 'make build')." >&2
  exit 1
fi
HOME_DIR="$(cd "$(dirname "$GAME")" && pwd)"
RECORDS="$HOME_DIR/critical.ini"
if ! grep -q '^scorename,.' "$RECORDS" 2>/dev/null; then
  NAME="${SCORENAME:-${USER:-player}}"
  NAME="$(printf '%s' "$NAME" | tr -d ',\r\n' | cut -c1-16)"
  [ -n "$NAME" ] || NAME=player
  if [ -f "$RECORDS" ]; then
    grep -v '^scorename,' "$RECORDS" > "$RECORDS.tmp" || true
  else
    : > "$RECORDS.tmp"
  fi
  printf 'scorename,%s\n' "$NAME" >> "$RECORDS.tmp"
  LC_ALL=C sort -o "$RECORDS.tmp" "$RECORDS.tmp"
  mv "$RECORDS.tmp" "$RECORDS"
  echo "Score name set to \"$NAME\" in $RECORDS (SCORENAME=... chooses another)."
fi
exec "$GAME" "$@"
