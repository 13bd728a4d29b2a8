#!/usr/bin/env bash
# The administrator's guide shows what vq-probe really sends and prints: the example between
# "<!-- guide-check: begin -->" and "<!-- guide-check: end -->" in docs/admin-guide.md is run
# against the PHP reference access server and compared byte for byte. Each "$ vq-probe ..." line of
# the example is run as written (in bash) with the native vq-probe, the URL
# http://127.0.0.1:PORT/ standing for the server's; standard output and standard error together
# must then give the lines that follow it, once what differs from run to run is put back as the
# guide writes it: the port as PORT, the boundary's digits as MMDDYYHHNNSSZZZ, a session cookie's
# value as SESSION. Prints PASS/FAIL lines. VQ_NATIVE_BUILD names another native build folder
# (default build/native).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
guide="$root/docs/admin-guide.md"
probe="${VQ_NATIVE_BUILD:-$root/build/native}/tools/vq-probe/vq-probe"
begin='<!-- guide-check: begin -->'
end='<!-- guide-check: end -->'

check() {
  local name=$1 expected=$2 actual=$3
  if [[ "$actual" == "$expected" ]]; then
    echo "PASS $name"
  else
    echo "FAIL $name"
    diff -u --label guide --label vq-probe <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") |
      sed 's/^/  /'
  fi
}

# The example: the lines between the markers, without the code block's four-space indent (the
# blank lines around the block go with the command substitution and the check of the first line).
example=$(awk -v begin="$begin" -v end="$end" '
  $0 == end { inside = 0 }
  inside && (n || $0 != "") { sub(/^    /, ""); print; n++ }
  $0 == begin { inside = 1; found++ }
  END { exit found == 1 ? 0 : 1 }' "$guide")
found=$?
commands=$(grep -c '^\$ vq-probe ' <<<"$example")
if ((found != 0 || commands == 0)) || [[ "$example" != '$ vq-probe '* ]]; then
  echo "FAIL the guide has one marked example with \"\$ vq-probe\" lines"
  exit 1
fi
echo "PASS the guide has one marked example with $commands \"\$ vq-probe\" lines"
if [[ ! -x "$probe" ]]; then
  echo "FAIL vq-probe is built ($probe)"
  exit 1
fi

work=$(mktemp -d)
source "$root/tests/tools/reference_server.sh"
trap 'vq_stop_reference_server; rm -rf "$work"' EXIT
vq_start_reference_server "$work"
port=$reference_server_port
base=$reference_server_url

normalise() {
  sed -E -e "s/127\\.0\\.0\\.1:$port/127.0.0.1:PORT/g" \
    -e 's/boundary=--------[0-9]{15}/boundary=--------MMDDYYHHNNSSZZZ/g' \
    -e 's/PHPSESSID=[^;[:space:]]+/PHPSESSID=SESSION/g'
}

# One check per command: its line (with any lines that continue it after a final "\") and the
# lines up to the next command.
expected=
command=
continued=
run_and_check() {
  [[ -n "$command" ]] || return 0
  local arguments=${command#vq-probe }
  arguments=${arguments//http:\/\/127.0.0.1:PORT\//$base}
  local actual
  actual=$(eval "\"\$probe\" $arguments" 2>&1 | normalise)
  check "the guide's example matches vq-probe: $(tr -s ' ' <<<"${command//$'\\\n'/}")" \
    "$expected" "$actual"
}
while IFS= read -r line; do
  if [[ -n "$continued" ]]; then
    command+=$'\n'$line
    [[ "$line" == *\\ ]] || continued=
  elif [[ "$line" == '$ vq-probe '* ]]; then
    run_and_check
    command=${line#\$ }
    expected=
    [[ "$line" == *\\ ]] && continued=1
  else
    expected+=${expected:+$'\n'}$line
  fi
done <<<"$example"
run_and_check
