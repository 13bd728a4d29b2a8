#!/usr/bin/env bash
# The Linux tray program end to end on an X desktop with a real tray host (Xvfb, trayer) against
# the reference access server: the icon appears and spins while the server keeps it waiting, a
# second start takes over from the first, a click on the icon shows the window beside it with the
# account's state, and "Выход" in the icon's menu ends the program. Prints PASS/FAIL lines.
#
#   tests/tools/linux_desktop_check.sh [BUILD]    BUILD: the linux preset's folder (build/linux)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/linux}" && pwd)
source "$root/tests/tools/checks.sh"
source "$root/tests/tools/linux_desktop.sh"

work=$(mktemp -d)
trap 'kill ${silent_pid:-} ${first:-} 2>/dev/null; vq_stop_linux_desktop; rm -rf "$work"' EXIT
vq_start_linux_desktop "$work"

# Waits up to 15 s for the command to succeed.
eventually() {
  local _
  for _ in $(seq 150); do "$@" && return 0; sleep 0.1; done
  return 1
}
icon_shown() { [[ -n "$(vq_tray_icon_geometry)" ]]; }
process_ended() { ! kill -0 "$1" 2>/dev/null; }
# The icon's pixels as text, to tell one frame from another.
icon_pixels() {
  local x y w h
  read -r x y w h <<<"$(vq_tray_icon_geometry)"
  "$root/scripts/screenshot" "$work/icon.png" "$x" "$y" "$w" "$h" && md5sum <"$work/icon.png"
}
spins() {
  local first
  first=$(icon_pixels)
  eventually bash -c '[[ "$(icon_pixels)" != "$1" ]]' _ "$first"
}
export -f icon_pixels vq_tray_icon_geometry
export root work

# A server that takes the connection and never answers: the worker waits, the icon spins.
silent_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -c '
import socket, sys, time
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", int(sys.argv[1]))); s.listen(8)
held = []
while True:
    held.append(s.accept()[0])
' "$silent_port" &
silent_pid=$!

vq_start_vq "$build" "server=http://127.0.0.1:$silent_port/"
first=$vq_pid
check "the icon appears in the tray" eventually icon_shown
check "the icon spins while the server has not answered" spins

vq_start_vq "$build" "server=$reference_server_url"
second=$vq_pid
check "a second start ends the first (the newest instance wins)" eventually process_ended "$first"
check "the second instance keeps its icon in the tray" eventually icon_shown
check "the reference server authorized TEST\\ivanov" \
  eventually grep -q 'POST TEST\\ivanov -> server_status_ok' "$reference_server_log"

# A click on the icon: the window opens right-aligned above the icon, with the account's state.
read -r ix iy iw ih <<<"$(vq_tray_icon_geometry)"
sleep 1  # the status report has reached the window
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 1
window_shown() { xdotool search --onlyvisible --name '3AA43F08-4053-4A06-BA24-838C07F74C80' >/dev/null; }
check "a click on the icon shows the window" eventually window_shown
window=$(xdotool search --onlyvisible --name '3AA43F08-4053-4A06-BA24-838C07F74C80' | head -1)
geometry=$(xwininfo -id "$window" 2>/dev/null)
wx=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$geometry")
wy=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$geometry")
ww=$(sed -n 's/.*Width: *//p' <<<"$geometry")
wh=$(sed -n 's/.*Height: *//p' <<<"$geometry")
check "the window is 217 x 102" equals "${ww}x$wh" "217x102"
check "the window's right edge is the icon's, and it lies 4 pixels above it" \
  equals "$((wx + ww)) $((wy + wh))" "$((ix + iw)) $((iy - 4))"
# The connected picture is green ("OK"); the connecting and stop pictures are not.
"$root/scripts/screenshot" "$work/window.png" "$wx" "$wy" "$ww" "$wh"
green=$(python3 - "$work/window.png" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
pos, idat, width = 8, b"", 0
while pos < len(data):
    length, kind = struct.unpack(">I4s", data[pos:pos + 8])
    body = data[pos + 8:pos + 8 + length]
    if kind == b"IHDR": width = struct.unpack(">I", body[:4])[0]
    if kind == b"IDAT": idat += body
    pos += 12 + length
raw = zlib.decompress(idat)
stride = 1 + 3 * width
count = 0
for y in range(40):
    row = raw[y * stride + 1:(y + 1) * stride]  # the screenshot's rows are unfiltered
    for x in range(38):
        r, g, b = row[3 * x:3 * x + 3]
        count += g > r + 40 and g > b + 40
print(count)
PY
)
check "the window shows the connected account's green picture ($green green pixels)" test "$green" -gt 300

# The pointer leaves the window: it closes.
xdotool mousemove $((wx + 100)) $((wy + 50))
sleep 0.3
xdotool mousemove 10 10
window_hidden() { ! window_shown; }
check "the window closes when the pointer leaves it" eventually window_hidden

# "Выход" is the menu's last item.
menu_shown() {
  local id
  for id in $(xdotool search --onlyvisible --class vq 2>/dev/null); do
    [[ "$(xwininfo -id "$id" | sed -n 's/.*Height: *//p')" -gt 40 ]] && { menu=$id; return 0; }
  done
  return 1
}
# A click that comes while the closing window still holds the pointer is the window's: clicked
# again when no menu shows within 3 s.
open_menu() {
  local attempt _
  for attempt in 1 2 3; do
    xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 3
    for _ in $(seq 30); do menu_shown && return 0; sleep 0.1; done
  done
  return 1
}
check "a right click on the icon opens its menu" open_menu
if [[ -n ${menu:-} ]]; then
  menu_geometry=$(xwininfo -id "$menu")
  mx=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$menu_geometry")
  my=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$menu_geometry")
  mh=$(sed -n 's/.*Height: *//p' <<<"$menu_geometry")
  xdotool mousemove $((mx + 30)) $((my + mh - 14)) click 1
fi
check "\"Выход\" ends the program" eventually process_ended "$second"
icon_gone() { ! icon_shown; }
check "and its icon leaves the tray" eventually icon_gone

# A desktop without a tray host: the worker authorizes all the same, and the program says once,
# in a small window of its own, where the state can be seen.
kill -KILL "$linux_desktop_trayer" 2>/dev/null
wait "$linux_desktop_trayer" 2>/dev/null
posts_before=$(grep -c 'POST TEST\\ivanov -> server_status_ok' "$reference_server_log")
vq_start_vq "$build" "server=$reference_server_url"
third=$vq_pid
more_posts() {
  (($(grep -c 'POST TEST\\ivanov -> server_status_ok' "$reference_server_log") > posts_before))
}
check "without a tray host the account is authorized all the same" eventually more_posts
notice_shown() { xdotool search --onlyvisible --name '^Veltrano$' >/dev/null 2>&1; }
notice_within_30s() {
  local _
  for _ in $(seq 300); do notice_shown && return 0; sleep 0.1; done
  return 1
}
check "and the program says where the state can be seen" notice_within_30s
kill "$third" 2>/dev/null
check "it ends on SIGTERM" eventually process_ended "$third"

echo "$passes passed, $failures failed"
((failures == 0))
