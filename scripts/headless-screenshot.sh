#!/usr/bin/env bash
# Starts a program on a virtual display, saves a screenshot of it and closes it.
# Usage: headless-screenshot.sh PROGRAM OUTPUT.png
set -euo pipefail
program="$1"
output="$2"
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
DISPLAY="$display" "$program" &
app=$!
for _ in $(seq 50); do
    DISPLAY="$display" xwininfo -root -tree 2>/dev/null | grep -q 'Kestrune' && break
    sleep 0.2
done
sleep 1
DISPLAY="$display" import -window root "$output"
# Closing the window saves ms.ini, as the close box does.
DISPLAY="$display" xdotool key Escape 2>/dev/null || kill "$app"
wait "$app" 2>/dev/null || true
echo "No display: the main window was shown on a virtual display; screenshot saved to $output"
