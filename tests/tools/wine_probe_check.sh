#!/usr/bin/env bash
# The Windows vq-probe.exe, under Wine, makes the same first contact with the PHP reference
# access server as the native one. Prints PASS/FAIL lines.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env"
# Wine reads the arguments' Cyrillic through the locale: a UTF-8 one, the Russian workstation's
# when scripts/test runs this in its Russian prefix.
[[ "${LANG:-}" == *UTF-8 ]] || export LANG=C.UTF-8
# The build folder of the Windows programs: build/windows, or VQ_WINDOWS_BUILD (the 32-bit one).
probe="$root/${VQ_WINDOWS_BUILD:-build/windows}/tools/vq-probe/vq-probe.exe"

work=$(mktemp -d)
source "$root/tests/tools/reference_server.sh"
trap 'vq_stop_reference_server; rm -rf "$work"' EXIT
vq_start_reference_server "$work"
base=$reference_server_url

check() {
  local name=$1 expected=$2 actual=$3
  if [[ "$actual" == "$expected" ]]; then
    echo "PASS $name"
  else
    echo "FAIL $name"
    echo "  expected: $(printf %q "$expected")"
    echo "  actual:   $(printf %q "$actual")"
  fi
}

run_probe() { wine "$probe" "$@" 2>&1 | tr -d '\r'; }

check "GET is answered server_need_auth_data" $'server_need_auth_data\n--' "$(run_probe "$base")"

post=$(run_probe --fields --set 'username=TEST\demo' --set 'groups=TEST\Staff' \
  --set 'dname=Демо Пользователь' "$base")
check "POST is answered server_status_ok" "server_status_ok" "$(head -n 1 <<<"$post")"
check "account fields are decoded to UTF-8" "dname=Демо Пользователь" \
  "$(grep -x 'dname=Демо Пользователь' <<<"$post")"
check "the answer ends with its separator" "--" "$(tail -n 1 <<<"$post")"

check "an unknown user is refused" $'server_auth_failed\n--' \
  "$(run_probe --set 'username=TEST\nobody' "$base")"

run_probe "${base}missing/" >"$work/missing.out"
check "a missing script is an error with status 1" "error: HTTP/1.0 404 Not Found" "$(cat "$work/missing.out")"
wine "$probe" "${base}missing/" >/dev/null 2>&1
check "exit status of a failed exchange" "1" "$?"

native=$("$root/build/native/tools/vq-probe/vq-probe" --fields --set 'username=TEST\demo' "$base" 2>&1)
windows=$(run_probe --fields --set 'username=TEST\demo' "$base")
check "Windows and native probes print the same" "$native" "$windows"

# Standard error alone, as an administrator's console or a pipe gets it: UTF-8 in the workstation's
# language, with the system's own description of the refused connection after the endpoint.
wine "$probe" http://127.0.0.1:1/ 2>"$work/refused.err" >/dev/null
check "a refused connection is reported on standard error in valid UTF-8" "ok" \
  "$(python3 - "$work/refused.err" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
try:
    text = data.decode("utf-8")
except UnicodeDecodeError as error:
    sys.exit(print(f"not UTF-8: {error}: {data!r}"))
prefix = "error: Не удалось подключиться к 127.0.0.1:1: "
reason = text[len(prefix):].strip()
print("ok" if text.startswith(prefix) and reason and "\ufffd" not in text else repr(text))
PY
)"
