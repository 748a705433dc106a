#!/usr/bin/env bash
# The real program under Xvfb: it starts in its own folder, shows the window,
# and Esc ends it with exit code 0.
binary=$(readlink -f "$1")
source "$(dirname "$0")/lib.sh"

set_desktop "$HOME/Desktop"
start_app
[ "$WIDTH" -ge 384 ] && [ "$HEIGHT" -ge 249 ] || fail "window is ${WIDTH}x$HEIGHT"
cwd=$(readlink -f "/proc/$app_pid/cwd")
[ "$cwd" = "$(dirname "$binary")" ] || fail "current folder is $cwd"

xdotool key Escape
wait_exit
[ "$exit_code" = 0 ] || fail "exit code $exit_code after Esc"
echo "1 passed, 0 failed"
