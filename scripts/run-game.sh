#!/usr/bin/env bash
# Starts the built game from its build folder.
set -euo pipefail
BUILD=${1:-build}
GAME="$BUILD/bin/korvo"
if [ ! -x "$GAME" ]; then
  echo "The game cannot start yet: $GAME has not been built (the window and main loop are still to come)."
  exit 0
fi
exec "$GAME"
