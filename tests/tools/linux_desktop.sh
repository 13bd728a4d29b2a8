# Sourced by the Linux desktop check and the demo: a private X screen (Xvfb) with an XEmbed tray
# host (trayer) at the bottom right, the reference access server, and a domain account for the
# program from nss_wrapper ("TEST\ivanov", the reference server's limited account, with this
# process's own user id), so that the real name-service calls answer as on a joined workstation.
#
#   vq_start_linux_desktop WORK [WIDTHxHEIGHT]   sets DISPLAY and the environment vq runs in
#   vq_start_vq BUILD ARGUMENTS...                starts BUILD/vq, sets vq_pid
#   vq_tray_icon_geometry                         prints "X Y WIDTH HEIGHT" of the embedded icon
#   vq_stop_linux_desktop

source "$(dirname "${BASH_SOURCE[0]}")/reference_server.sh"

vq_start_linux_desktop() {
  local work=$1 size=${2:-1024x768}
  linux_desktop_work=$work
  mkdir -p "$work/run" "$work/state"
  chmod 700 "$work/run"
  local number
  for number in $(seq 140 199); do
    [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]] && continue
    break
  done
  Xvfb ":$number" -screen 0 "${size}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
  linux_desktop_xvfb=$!
  export DISPLAY=":$number"
  local _
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true \
    --transparent false --tint 0xdddddd >"$work/trayer.log" 2>&1 &
  linux_desktop_trayer=$!
  # The tray host owns the tray selection once it runs.
  for _ in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q '"panel": ("panel" "trayer")' && break
    sleep 0.1
  done

  # The account as a domain-joined system's name service gives it (winbind's "DOMAIN\user").
  printf 'TEST\\ivanov:*:%s:%s:Иванов Иван Иванович,Room 5,,:%s:/bin/bash\n' \
    "$(id -u)" "$(id -g)" "$work" >"$work/passwd"
  printf 'TEST\\domain users:*:%s:\nTEST\\vpn users:*:50110:TEST\\ivanov\n' "$(id -g)" \
    >"$work/group"
  linux_desktop_env=(
    "LD_PRELOAD=$(find /usr/lib -name libnss_wrapper.so -print -quit)"
    "NSS_WRAPPER_PASSWD=$work/passwd" "NSS_WRAPPER_GROUP=$work/group"
    "XDG_RUNTIME_DIR=$work/run" "XDG_STATE_HOME=$work/state" "QT_QPA_PLATFORM=xcb"
  )
  vq_start_reference_server "$work/server"
}

vq_start_vq() {
  local build=$1
  shift
  env "${linux_desktop_env[@]}" "$build/vq" "$@" >>"$linux_desktop_work/vq.log" 2>&1 &
  vq_pid=$!
}

vq_tray_icon_geometry() {
  # The icon is the window of class "vq" embedded somewhere under the tray host's panel; the line
  # ends with its absolute place: 0x400006 "vq": ("vq" "vq")  22x22+0+0  +1001+745
  local panel
  panel=$(xwininfo -root -tree 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "panel": ("panel" "trayer").*/\1/p' | head -1)
  [[ -n "$panel" ]] || return 0
  xwininfo -id "$panel" -tree 2>/dev/null | grep '("vq" "vq")' | head -1 |
    sed -E 's/.*  ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+  \+(-?[0-9]+)\+(-?[0-9]+)$/\3 \4 \1 \2/'
}

vq_stop_linux_desktop() {
  [[ -n ${vq_pid:-} ]] && kill "$vq_pid" 2>/dev/null
  vq_stop_reference_server
  kill "$linux_desktop_trayer" "$linux_desktop_xvfb" 2>/dev/null
  wait "$linux_desktop_trayer" "$linux_desktop_xvfb" 2>/dev/null
}
