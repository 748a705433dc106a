# Shared by the end-to-end scripts: a private X server and a private home.
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in Xvfb xdotool import compare identify; do
  command -v "$tool" >/dev/null || fail "$tool is missing (tools/deps.sh test installs it)"
done

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number itself and tells it on fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

export HOME="$work/home"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# Points the desktop folder (as the desktop reports it) at $1.
set_desktop() {
  printf 'XDG_DESKTOP_DIR="%s"\n' "$1" > "$XDG_CONFIG_HOME/user-dirs.dirs"
}

# Starts the program from another folder and waits for its window.
start_app() {
  (cd / && exec "$binary") >"$work/app.log" 2>&1 &
  app_pid=$!
  wid=
  for _ in $(seq 100); do
    wid=$(xdotool search --onlyvisible --name '^Tilvane$' 2>/dev/null | head -n1 || true)
    [ -n "$wid" ] && break
    sleep 0.1
  done
  [ -n "$wid" ] || fail "no window titled Tilvane appeared"
  xdotool windowfocus --sync "$wid"
  eval "$(xdotool getwindowgeometry --shell "$wid")" # X, Y, WIDTH, HEIGHT
}

# Waits for a visible window with this exact title; prints its id.
wait_window() {
  local id=
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Waits for the program to end and sets exit_code (not in a subshell: only
# this shell can wait for its child).
wait_exit() {
  exit_code=0
  for _ in $(seq 100); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$app_pid" 2>/dev/null && fail "the program did not end"
  wait "$app_pid" || exit_code=$?
  app_pid=
}
