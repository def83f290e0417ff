#!/usr/bin/env bash
# Starts a program on a virtual display, saves a screenshot of its main window, and closes the
# window with Esc as a user would (so the program saves ms.ini as at any close).
# Usage: headless-screenshot.sh PROGRAM OUTPUT.png
set -uo pipefail
program="$1"
output="$2"
title="Kestrune v1.2"

work="$(mktemp -d)"
xvfb=""
app=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Polls `condition` every 0.1 s for at most `seconds`.
wait_for() {
    local seconds="$1"
    shift
    local i
    for ((i = 0; i < seconds * 10; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

alive() { kill -0 "$1" 2>/dev/null; }

# Xvfb chooses a free display itself and writes its number once it accepts clients; the
# display is used only once a client has really connected to it.
start_display() {
    : >"$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" \
        >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    wait_for 15 test -s "$work/display" &&
        DISPLAY=":$(head -n 1 "$work/display")" wait_for 10 xwininfo -root >/dev/null 2>&1 &&
        return 0
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
    xvfb=""
    return 1
}
started=""
for _ in 1 2 3; do
    start_display && started=1 && break
done
if [ -z "$started" ]; then
    echo "Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$(head -n 1 "$work/display")"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

"$program" >"$work/program.log" 2>&1 &
app=$!

find_window() {
    if command -v xdotool >/dev/null; then
        wid="$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1)"
    else
        wid="$(xwininfo -name "$title" 2>/dev/null | awk '/Window id:/ {print $4}')"
    fi
    [ -n "$wid" ] || ! alive "$app"
}
wid=""
wait_for 30 find_window
if ! alive "$app"; then
    echo "The program ended before its main window showed:" >&2
    cat "$work/program.log" >&2
    app=""
    exit 1
fi

mkdir -p "$(dirname "$output")"
if [ -n "$wid" ]; then
    sleep 1  # let the window paint
    import -window "$wid" "$output" 2>/dev/null || import -window root "$output"
    echo "No display: the main window was shown on a virtual display; screenshot saved to $output"
else
    # Another window came first (the start-up password): show the screen and end the program;
    # nothing is saved before the main window has been opened.
    import -window root "$output"
    echo "No display: the main window did not open (a start-up password is set?); screenshot of the virtual screen saved to $output"
    kill "$app" 2>/dev/null
    wait "$app" 2>/dev/null
    app=""
    exit 0
fi

# Esc closes the main window as its close box does, which saves ms.ini.
if command -v xdotool >/dev/null; then
    xdotool windowfocus --sync "$wid" key Escape 2>/dev/null
fi
if ! wait_for 10 bash -c "! kill -0 $app 2>/dev/null"; then
    echo "The window did not close on Esc; ending the program without saving." >&2
    kill "$app" 2>/dev/null
    wait_for 5 bash -c "! kill -0 $app 2>/dev/null" || kill -9 "$app" 2>/dev/null
fi
wait "$app" 2>/dev/null
app=""
exit 0
