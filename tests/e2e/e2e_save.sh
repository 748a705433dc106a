#!/usr/bin/env bash
# Typing, saving and the confirmation, as a person does it: the file is a
# 102x102 24-bit BMP whose pixels equal the canvas on screen; a missing
# desktop folder gives an error box and no file.
binary=$(readlink -f "$1")
source "$(dirname "$0")/lib.sh"

desktop="$HOME/桌面"
mkdir -p "$desktop"
set_desktop "$desktop"
start_app

xdotool type --delay 20 'Hi'
# The canvas's place in the client area is 26,130, 102x102. Wait until two
# screenshots in a row agree, so a repaint still on its way is not missed.
shoot() { import -window root -crop "102x102+$((X + 26))+$((Y + 130))" +repage "$1"; }
shoot "$work/screen.png"
for _ in $(seq 20); do
  sleep 0.2
  shoot "$work/again.png"
  [ "$(compare -metric AE "$work/screen.png" "$work/again.png" null: 2>&1 || true)" = 0 ] && break
  mv "$work/again.png" "$work/screen.png"
done
xdotool mousemove $((X + 163 + 44)) $((Y + 130 + 16)) click 1
box=$(wait_window '生成完毕') || fail "no confirmation box"
file="$desktop/头像文件.jpg"
[ -f "$file" ] || fail "no avatar file"
[ "$(head -c2 "$file")" = BM ] || fail "not a BMP"
[ "$(stat -c %s "$file")" = $((54 + 308 * 102)) ] || fail "size $(stat -c %s "$file")"
[ "$(od -An -tu2 -j28 -N2 "$file" | tr -d ' ')" = 24 ] || fail "not 24 bits per pixel"
[[ "$(identify -format '%m %wx%h' "bmp:$file")" =~ ^BMP3?\ 102x102$ ]] || fail "identify: $(identify "bmp:$file")"
diff=$(compare -metric AE "bmp:$file" "$work/screen.png" null: 2>&1 || true)
[ "$diff" = 0 ] || fail "saved pixels differ from the screen in $diff places"
xdotool windowfocus --sync "$box" key Return
sleep 0.3

# Now without a desktop folder: an error, not the confirmation.
rm -rf "$desktop"
xdotool windowfocus --sync "$wid"
xdotool mousemove $((X + 163 + 44)) $((Y + 130 + 16)) click 1
error=$(wait_window '保存失败') || fail "no error box for a missing desktop folder"
[ -e "$desktop" ] && fail "the desktop folder was created"
xdotool search --onlyvisible --name '^生成完毕$' >/dev/null 2>&1 && fail "confirmation shown after a failed save"
xdotool windowfocus --sync "$error" key Return
sleep 0.3
xdotool windowfocus --sync "$wid" key Escape
wait_exit
[ "$exit_code" = 0 ] || fail "exit code $exit_code"
echo "1 passed, 0 failed"
