#!/usr/bin/env bash
# Starts the built game from its build folder ($1, default "build"). The game's
# program folder is the folder of the executable (BUILD/bin): korvo.ini,
# critical.ini, logs, replays and snapshots live there, beside korvo-config.
#
# The game refuses to start without a score name. When none is set yet, the
# settings program asks for one (in a terminal); otherwise the login name (or
# SCORENAME from the environment) is set, and the script says so. An existing
# score name is never changed. Without a display the autopilot plays chapter 1
# headless and the run leaves a video of it, snapshot/run.webm, beside a few
# pictures in "snapshot".
# Extra arguments go to the game as they are (for example --frames 120).
set -euo pipefail
BUILD=${1:-build}
shift || true
GAME="$BUILD/bin/korvo"
CONFIG="$BUILD/bin/korvo-config"
for program in "$GAME" "$CONFIG"; do
  if [ ! -x "$program" ]; then
    echo "The game is not built: $program is missing (run 'make build')." >&2
    exit 1
  fi
done
HOME_DIR="$(cd "$(dirname "$GAME")" && pwd)"

# Score name, once.
if [ -z "$("$CONFIG" --home "$HOME_DIR" --get scorename)" ]; then
  if [ -z "${SCORENAME:-}" ] && [ -t 0 ]; then
    echo "The game needs a score name first (korvo-config --name NAME changes it later)."
    "$CONFIG" --home "$HOME_DIR" --ask-name || { echo "No score name set; the game cannot start." >&2; exit 1; }
  else
    NAME="${SCORENAME:-${LOGNAME:-${USER:-$(id -un 2>/dev/null || true)}}}"
    if [ -n "${SCORENAME:-}" ]; then
      echo "No score name is set: using SCORENAME=\"$NAME\"."
    else
      echo "No score name is set and standard input is not a terminal: using the login name \"$NAME\"."
    fi
    if ! "$CONFIG" --home "$HOME_DIR" --name "$NAME"; then
      echo "That name cannot be used; using \"player\"."
      "$CONFIG" --home "$HOME_DIR" --name player
    fi
    echo "(Change it with: $CONFIG --name NAME)"
  fi
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ $# -eq 0 ]; then
  # No screen to open a window on: show the game itself. The autopilot plays
  # chapter 1 offscreen, unpaced, into a video and a few pictures.
  STEPS=(600 3000 5000 9000 13500)
  VIDEO="$HOME_DIR/snapshot/run.webm"
  mkdir -p "$HOME_DIR/snapshot"
  echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): the autopilot plays chapter 1"
  echo "headless and the run is recorded as a video (a few minutes)."
  rc=0
  "$GAME" --headless --unpaced --autopilot --stage 0 --games 1 --video-out "$VIDEO" \
    --snapshot-at "$(IFS=,; echo "${STEPS[*]}")" || rc=$?
  if [ "$rc" -ne 0 ]; then
    echo "The game ended with exit code $rc; see $HOME_DIR/log/." >&2
    exit "$rc"
  fi
  echo "The video of the run: $VIDEO"
  echo "Snapshots are in $HOME_DIR/snapshot/:"
  for step in "${STEPS[@]}"; do
    picture="$HOME_DIR/snapshot/$(printf 'frame%06d.png' "$step")"
    [ -f "$picture" ] && echo "  $picture"
  done
  exit 0
fi

# 'make run' plays in a window unless the player chose full screen.
if [ -z "$("$CONFIG" --home "$HOME_DIR" --get windowmode)" ]; then
  "$CONFIG" --home "$HOME_DIR" --set windowmode=window >/dev/null
  echo "The game plays in a window (full screen: $CONFIG --set windowmode=fullscreen)."
fi
exec "$GAME" "$@"
