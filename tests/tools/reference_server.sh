# Sourced by the test scripts that talk to the reference access server (tools/access-server):
# starts PHP's built-in server on a free loopback port with an accounts file and a session folder
# of its own, and waits until it takes connections.
#
#   vq_start_reference_server WORK [ACCOUNTS]   WORK: a folder for its files; ACCOUNTS: the
#                                               accounts file to copy (the reference one by default)
#   vq_stop_reference_server
#
# Sets reference_server_port, reference_server_url (http://127.0.0.1:PORT/), reference_server_log.

vq_start_reference_server() {
  local work=$1 accounts=${2:-}
  local top
  top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  mkdir -p "$work/sessions"
  cp "${accounts:-$top/tools/access-server/accounts.ini}" "$work/accounts.ini"
  reference_server_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  reference_server_url="http://127.0.0.1:$reference_server_port/"
  reference_server_log="$work/server.log"
  VQ_ACCOUNTS_FILE="$work/accounts.ini" php -d "session.save_path=$work/sessions" \
    -S "127.0.0.1:$reference_server_port" -t "$top/tools/access-server" 2>"$reference_server_log" &
  reference_server_pid=$!
  local _
  for _ in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$reference_server_port") 2>/dev/null && return 0
    sleep 0.1
  done
  echo "reference server: not listening on port $reference_server_port" >&2
  return 1
}

vq_stop_reference_server() {
  if [[ -n "${reference_server_pid:-}" ]]; then
    kill "$reference_server_pid" 2>/dev/null && wait "$reference_server_pid" 2>/dev/null
  fi
  reference_server_pid=
  return 0
}

# The reference server for the tray program's end-to-end tests under Wine: an accounts file of
# its own that names the current Wine prefix's user (status OK, a limited tariff), its base URL
# exported in VQ_ACCESS_SERVER for the Windows suite. vq_stop_wine_user_server copies the server's
# log to the file given.
vq_start_wine_user_server() {
  wine_user_server_dir=$(mktemp -d)
  local user accounts="$wine_user_server_dir/wine-user.ini"
  user=$(vq_wine_user)
  printf '[%s]\nblocked = 0\nunlim = 0\ndname = "%s"\ntarif = "%s"\nbalans = 612.35\n' \
    "$user" "Тестовый Пользователь" "Стандарт 800" >"$accounts"
  printf 'day_balans = 26.90\nmonth_fullpayment = 800\ntraf_currency = "руб."\nis_static = 0\n' \
    >>"$accounts"
  vq_start_reference_server "$wine_user_server_dir" "$accounts" || return 1
  export VQ_ACCESS_SERVER=$reference_server_url
}

vq_stop_wine_user_server() {
  vq_stop_reference_server
  [[ -n "${1:-}" ]] && cp "$reference_server_log" "$1" 2>/dev/null
  rm -rf "$wine_user_server_dir"
  unset VQ_ACCESS_SERVER
  return 0
}
