#!/usr/bin/env bash
# Runs a GUI test on a real X display with a window manager, the one that
# scripts/test starts and names in AUDREL_WM_DISPLAY, so that its clicks go
# through the X server and the window manager as a user's do. Without such a
# display, or without xdotool to click with, the test is skipped (status 77).
# Usage: under_wm.sh TEST_EXECUTABLE [ARGUMENTS...]
set -euo pipefail
if [ -z "${AUDREL_WM_DISPLAY:-}" ]; then
  echo "skipped: no X display with a window manager (scripts/test starts one when Xvfb and openbox are installed)"
  exit 77
fi
command -v xdotool > /dev/null || { echo "skipped: xdotool is not installed"; exit 77; }
export DISPLAY=$AUDREL_WM_DISPLAY QT_QPA_PLATFORM=xcb
exec "$@"
