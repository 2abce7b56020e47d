#!/usr/bin/env bash
# The API with a certificate and key configured speaks only TLS: rotaryn-admin trusting the
# certificate is answered; without trusting it, or over plain HTTP, it cannot reach the host.
# usage: api_tls_test.sh ROTARYN_HOST ROTARYN_ADMIN
set -euo pipefail
host="$(realpath "$1")"
admin="$(realpath "$2")"
source "$(dirname "$0")/../support/host_test_lib.sh"
host_test_root api-tls
"$host" --init-root "$root" > /dev/null
printf '[Host]\n' > "$root/host.ini"
export ROTARYN_TOKEN="$("$host" --root "$root" --add-admin tls --privileges "Skip Maps" | tail -1)"
mkdir "$root/tls"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=localhost \
  -addext "subjectAltName=DNS:localhost,IP:127.0.0.1" -keyout "$root/tls/key.pem" \
  -out "$root/tls/cert.pem" 2> /dev/null
sed -i 's/^; Certificate/Certificate/; s/^; Key/Key/' "$root/administrators.ini"
"$host" --headless --root "$root" --listen 127.0.0.1:0 > "$root/log" 2>&1 &
host_pid=$!
wait_for "listening on https://"
port="$(sed -n 's/.*listening on https:\/\/127.0.0.1:\([0-9]*\).*/\1/p' "$root/log")"
[ -n "$port" ] || fail "no https listening line"
"$admin" --host "https://127.0.0.1:$port" --ca-file "$root/tls/cert.pem" profiles ||
  fail "trusted TLS"
set +e
"$admin" --host "https://127.0.0.1:$port" profiles 2> "$root/err"
code=$?
[ $code -eq 4 ] || fail "an untrusted certificate was not refused as unreachable (exit $code): $(cat "$root/err")"
grep -q "self-signed" "$root/err" || fail "the TLS failure is not named: $(cat "$root/err")"
"$admin" --host "http://127.0.0.1:$port" profiles 2> /dev/null
[ $? -eq 4 ] || fail "plain HTTP was answered"
set -e
# A key that cannot be read stops the host with status 3.
stop_host
rm "$root/tls/key.pem"
set +e
"$host" --headless --root "$root" --listen 127.0.0.1:0 --duration 5 > "$root/log" 2>&1
code=$?
set -e
[ "$code" -eq 3 ] || fail "a missing TLS key exited $code, not 3"
grep -q "cannot read the TLS key" "$root/log" || fail "the missing key is not named"
echo "passed"
