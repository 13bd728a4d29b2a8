#!/usr/bin/env bash
# Authenticode signing with scripts/sign. In a temporary folder: a throw-away CA, a code-signing
# certificate it issued (in a .pfx with a password), a time-stamp server (RFC 3161) of its own on
# loopback, and copies of the programs and packages of out/release, of both architectures
# (scripts/release builds them when missing). The copies are signed and checked with osslsigncode
# verify; out/release itself is never signed, so the unsigned builds stay byte-reproducible.
# Prints PASS/FAIL lines.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root" || exit 1
files=(vq.exe vq-probe.exe vq.msi x86/vq.exe x86/vq-probe.exe vq-x86.msi)
source "$root/tests/tools/checks.sh"

for file in "${files[@]}"; do
  [[ -f "out/release/$file" ]] && continue
  echo "== out/release/$file is missing: running scripts/release"
  if ! scripts/release; then
    echo "FAIL scripts/release builds out/release"
    exit 1
  fi
  break
done
originals=$(cd out/release && sha256sum "${files[@]}")

work=$(mktemp -d)
tsa_pid=
trap '[[ -n "$tsa_pid" ]] && kill "$tsa_pid" 2>/dev/null; rm -rf "$work"' EXIT

# ---- The certificates -------------------------------------------------------------------------
# A CA valid for 30 days; the code-signing certificate and the time-stamp server's, both issued
# by it. The code-signing certificate expires after one day, so that a verification dated later
# shows what a time stamp is for.
make_certificates() {
  cd "$work" || return 1
  openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 30 \
    -subj "/CN=vq signing check CA" -addext "basicConstraints=critical,CA:true" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" &&
  issue() {  # issue NAME SUBJECT DAYS EXTENDED_KEY_USAGE
    openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "$2" &&
      printf 'basicConstraints=CA:false\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=%s\n' \
        "$4" >"$1.ext" &&
      openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -days "$3" \
        -extfile "$1.ext" -out "$1.pem"
  } &&
  issue leaf "/CN=Veltrano test/O=Tolmar" 1 codeSigning &&
  issue tsa "/CN=vq signing check TSA" 30 critical,timeStamping &&
  openssl pkcs12 -export -inkey leaf.key -in leaf.pem -certfile ca.pem -out vq.pfx \
    -passout env:password
}
password="vq check $RANDOM$RANDOM"
if ! (export password; make_certificates) >"$work/openssl.log" 2>&1; then
  echo "FAIL openssl makes a CA, a code-signing certificate and a .pfx"
  sed 's/^/  /' "$work/openssl.log"
  exit 1
fi

# ---- The time-stamp server --------------------------------------------------------------------
# Answers each POSTed time-stamp query with `openssl ts -reply`, signed by the tsa certificate.
cat >"$work/tsa.cnf" <<'EOF'
[tsa]
default_tsa = tsa_config
[tsa_config]
serial = tsa.serial
signer_digest = sha256
default_policy = 1.3.6.1.4.1.99999.1
digests = sha256, sha384, sha512, sha1
accuracy = secs:1
ess_cert_id_alg = sha256
EOF
cat >"$work/tsa.py" <<'EOF'
import http.server, subprocess
class TimeStamps(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        reply = subprocess.run(["openssl", "ts", "-reply", "-config", "tsa.cnf", "-queryfile", "/dev/stdin",
                                "-signer", "tsa.pem", "-inkey", "tsa.key", "-chain", "ca.pem", "-out", "/dev/stdout"],
                               input=query, capture_output=True).stdout
        self.send_response(200 if reply else 500)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(("127.0.0.1", 0), TimeStamps)
print(server.server_port, flush=True)
server.serve_forever()
EOF
echo 01 >"$work/tsa.serial"
(cd "$work" && exec python3 tsa.py >tsa.port 2>tsa.log) &
tsa_pid=$!
for _ in $(seq 50); do [[ -s "$work/tsa.port" ]] && break; sleep 0.1; done
tsa_url="http://127.0.0.1:$(cat "$work/tsa.port")/"

# ---- Verification -----------------------------------------------------------------------------
# osslsigncode verify against the test CA only, with OPTIONs; prints its output.
verify() {  # verify FILE [OPTION...]
  osslsigncode verify -CAfile "$work/ca.pem" -TSA-CAfile "$work/ca.pem" "${@:2}" -in "$1" 2>&1
}
# Each digest osslsigncode read from the signature ("Current ...") equals the one it calculated
# from the file ("Calculated ..."), and there is at least one such pair.
digests_agree() {
  awk -F' *: *' '/^(Current|Calculated) / {
      kind = $1; sub(/^[A-Za-z]+ /, "", kind); value = $2; sub(/[ \t]+$/, "", value)
      if ($1 ~ /^Current/) current[kind] = value; else calculated[kind] = value }
    END { n = 0; for (k in current) { n++; if (current[k] != calculated[k]) exit 1 }; exit (n == 0) }'
}
# FILE has a valid SHA-256 signature from the test certificate, described as "Veltrano vq".
valid() {  # valid FILE [OPTION...]
  local out
  if out=$(verify "$@") && grep -q '^Signature verification: ok' <<<"$out" &&
    grep -Eq '^Message digest algorithm +: SHA256' <<<"$out" && digests_agree <<<"$out" &&
    grep -q 'Text description: Veltrano vq' <<<"$out"; then
    return 0
  fi
  sed 's/^/  /' <<<"$out"
  return 1
}
# Verification of FILE fails, and osslsigncode says why in words matching REASON.
rejected() {  # rejected FILE REASON [OPTION...]
  local out
  out=$(verify "$1" "${@:3}") && { echo "  verification passed"; return 1; }
  grep -Eq "$2" <<<"$out" || { sed 's/^/  /' <<<"$out"; return 1; }
}
# Inverts the byte at OFFSET of FILE.
flip() {  # flip FILE OFFSET
  local byte
  byte=$(od -An -tu1 -j "$2" -N1 "$1" | tr -d ' ')
  # shellcheck disable=SC2059  # the format is the byte's octal escape
  printf "\\$(printf %03o $((byte ^ 255)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

# ---- Signing ----------------------------------------------------------------------------------
# osslsigncode is reached through a wrapper that records its arguments and environment, where
# any user's `ps` (or root) could read the password.
real_osslsigncode=$(command -v osslsigncode) || { echo "FAIL osslsigncode is installed"; exit 1; }
mkdir "$work/wrapper" "$work/signed" "$work/tampered" "$work/wrong" "$work/time-stamped"
cat >"$work/wrapper/osslsigncode" <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>"$work/osslsigncode.argv"
env >>"$work/osslsigncode.env"
exec "$real_osslsigncode" "\$@"
EOF
chmod +x "$work/wrapper/osslsigncode"
mkdir -p "$work/signed/x86"
for file in "${files[@]}"; do cp "out/release/$file" "$work/signed/$file"; done
signed_lines=$(cd "$work/signed" &&
  PATH="$work/wrapper:$PATH" VQ_SIGN_PASSWORD=$password "$root/scripts/sign" "$work/vq.pfx" "${files[@]}")
check "scripts/sign signs the copies of ${files[*]}, one line each" \
  equals "$(grep -c '^signed ' <<<"$signed_lines")" "${#files[@]}"
check "the password reaches osslsigncode in none of its arguments and none of its environment" \
  bash -c '[[ -s "$1" ]] && ! grep -qF -- "$3" "$1" "$2"' _ \
  "$work/osslsigncode.argv" "$work/osslsigncode.env" "$password"
for file in "${files[@]}"; do
  check "$file: the signature and its SHA-256 message digest verify against the CA" valid "$work/signed/$file"
done

check "the unsigned vq.exe of out/release fails verification: no signature" \
  rejected out/release/vq.exe 'No signature found'
# A byte of vq.exe's code (4 KB into its .text section); a byte of the MSI's cabinet, which holds
# the programs (4 KB after its "MSCF" header).
cp "$work/signed/vq.exe" "$work/signed/vq.msi" "$work/tampered/"
text=$(x86_64-w64-mingw32-objdump -h "$work/tampered/vq.exe" | awk '$2 == ".text" { print $6 }')
cabinet=$(LC_ALL=C grep -obUa MSCF "$work/tampered/vq.msi" | awk -F: 'NR == 1 { print $1 }')
for change in "vq.exe $((16#${text:-0} + 4096)) code" "vq.msi $((${cabinet:-0} + 4096)) cabinet"; do
  read -r file offset region <<<"$change"
  flip "$work/tampered/$file" "$offset"
  check "$file signed, then one byte of its $region changed: verification fails on the digest" \
    rejected "$work/tampered/$file" MISMATCH
done

cp out/release/vq.exe "$work/wrong/"
wrong_status=$(cd "$work/wrong" && VQ_SIGN_PASSWORD="not $password" "$root/scripts/sign" "$work/vq.pfx" vq.exe \
  >/dev/null 2>&1; echo $?)
check "with a wrong password scripts/sign fails and leaves the file as it was" \
  bash -c '[[ $1 != 0 ]] && cmp -s "$2" out/release/vq.exe && [[ -z $(ls -A "${2%/*}" | grep -v "^vq.exe$") ]]' _ \
  "$wrong_status" "$work/wrong/vq.exe"

# ---- Time stamps ------------------------------------------------------------------------------
cp out/release/vq-probe.exe "$work/time-stamped/"
VQ_SIGN_PASSWORD=$password scripts/sign --timestamp "$tsa_url" "$work/vq.pfx" "$work/time-stamped/vq-probe.exe" \
  >/dev/null
time_stamped() { valid "$1" && verify "$1" | grep -q '^Timestamp Server Signature verification: ok'; }
check "scripts/sign --timestamp URL: the signature carries a time stamp that verifies" \
  time_stamped "$work/time-stamped/vq-probe.exe"
# One day after the code-signing certificate has expired.
later=$(($(date -d "$(openssl x509 -enddate -noout -in "$work/leaf.pem" | cut -d= -f2)" +%s) + 86400))
check "a day after the certificate expired, the time-stamped signature still verifies" \
  valid "$work/time-stamped/vq-probe.exe" -time "$later"
check "a day after the certificate expired, a signature without a time stamp fails" \
  rejected "$work/signed/vq-probe.exe" 'certificate has expired' -time "$later"

# ---- The originals and Wine -------------------------------------------------------------------
check "out/release is as it was: ${files[*]} have the same bytes" \
  equals "$(cd out/release && sha256sum "${files[@]}")" "$originals"

if command -v wine >/dev/null; then
  # shellcheck source=scripts/wine-env
  source scripts/wine-env
  help_of() { wine "$1" --help 2>/dev/null; }
  signed_help=$(help_of "$work/signed/vq-probe.exe")
  check "the signed vq-probe.exe runs under Wine and prints what the unsigned one prints (--help)" \
    bash -c '[[ -n $1 && $1 == "$2" ]]' _ "$signed_help" "$(help_of out/release/vq-probe.exe)"
fi

((failures == 0))
