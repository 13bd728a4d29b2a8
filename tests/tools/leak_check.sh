#!/usr/bin/env bash
# A long run of the client's network side under AddressSanitizer with LeakSanitizer: the
# sanitizer build of vq-probe repeats the credentials POST many times against the PHP reference
# access server (each time a new exchange: archive, multipart body, answer, cookies) and must end
# without a leak or any other sanitizer report. Prints PASS/FAIL lines.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
probe="$root/build/asan/tools/vq-probe/vq-probe"
repeat=${1:-2000}

if [[ ! -x "$probe" ]]; then
  echo "FAIL the sanitizer build of vq-probe exists ($probe)"
  exit 1
fi

work=$(mktemp -d)
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/sessions"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
VQ_ACCOUNTS_FILE="$root/tools/access-server/accounts.ini" php -d "session.save_path=$work/sessions" \
  -S "127.0.0.1:$port" -t "$root/tools/access-server" 2>"$work/server.log" &
server=$!
for _ in $(seq 100); do
  grep -q 'Development Server' "$work/server.log" 2>/dev/null && break
  sleep 0.1
done
base="http://127.0.0.1:$port/"

ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
  "$probe" --repeat "$repeat" --set 'username=TEST\demo' --set $'groups=TEST\\Staff\r\n' \
  --set 'dname=Демо Пользователь' "$base" >"$work/out.txt" 2>"$work/err.txt"
status=$?
answers=$(grep -c '^server_status_ok$' "$work/out.txt")

if ((status == 0)); then echo "PASS vq-probe --repeat $repeat under ASan/LSan exits 0"; else
  echo "FAIL vq-probe --repeat $repeat under ASan/LSan exits 0 (status $status)"; fi
if ((answers == repeat)); then echo "PASS all $repeat exchanges answered server_status_ok"; else
  echo "FAIL all $repeat exchanges answered server_status_ok ($answers did)"; fi
if grep -qE 'LeakSanitizer|AddressSanitizer|runtime error' "$work/err.txt"; then
  echo "FAIL no sanitizer report"
  grep -E -A20 'LeakSanitizer|AddressSanitizer|runtime error' "$work/err.txt" | head -n 40
else
  echo "PASS no sanitizer report"
fi
