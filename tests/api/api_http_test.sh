#!/usr/bin/env bash
# The API's HTTP under a hostile client, through raw sockets against a running host: framing
# that two readers could take differently is refused (400, closed), the token, privilege and
# profile are checked on the head before any body is read, a chunked body is held to the limit
# as it comes, a slow head or body is cut, requests that cannot be read are answered and
# audited, the audit cuts long paths and counts the refusals it leaves out, and with 256
# descriptors 260 idle connections neither stop a valid client nor make the host spin.
# usage: api_http_test.sh ROTARYN_HOST DFBHD_SIM
set -euo pipefail
host="$(realpath "$1")"
sim="$(realpath "$2")"
source "$(dirname "$0")/api_common.sh"

# RAW [SECONDS]: sends the bytes (printf %b escapes) on a new connection and keeps the answer in
# $tokens/raw; fails unless the host closes the connection within SECONDS (default 5).
raw() {
  local fd rc=0
  exec {fd}<>"/dev/tcp/127.0.0.1/$port"
  printf '%b' "$1" >&"$fd"
  timeout "${2:-5}" cat <&"$fd" > "$tokens/raw" || rc=$?
  exec {fd}>&-
  [ "$rc" -eq 0 ] || fail "the connection stayed open after: $1 (got: $(head -c 300 "$tokens/raw"))"
}
# STATUS REASON BYTES: the answer's status, the reason in its body and in an audit line.
expect_raw() {
  raw "$3"
  head -1 "$tokens/raw" | grep -q "^HTTP/1.1 $1 " || fail "$3: $(cat "$tokens/raw"), not $1"
  grep -qF -- "$2" "$tokens/raw" || fail "$3: the answer does not say '$2': $(cat "$tokens/raw")"
  tail -1 "$root"/logs/audit/*.jsonl | grep -F '"peer":"127.0.0.1"' | grep -F "\"status\":$1" |
    grep -qF -- "$2" || fail "$3: not audited with its peer and reason"
}
cpu_ticks() { awk '{print $14 + $15}' "/proc/$host_pid/stat"; }
stop_host() {
  kill -TERM "$host_pid"
  wait "$host_pid" || true
  host_pid=""
}

add_admin boss "Change Map List,Skip Maps,Add New Maps"
add_admin skipper "Skip Maps" 2
for setting in "BodyLimit = 1000" "HeadTimeout = 2" "MinBodyRate = 1000" \
  "KeepAliveTimeout = 3" "MaxConnectionsPerAddress = 4"; do
  api_setting "$setting"
done
start_host
boss="Authorization: Bearer $(token_of boss)"
skipper="Authorization: Bearer $(token_of skipper)"
unauthenticated=0  # refusals without an administrator sent from this address

# Framing: each refused before any token is looked at.
H='Host: x\r\n'
while IFS='|' read -r reason bytes; do
  expect_raw 400 "$reason" "$bytes"
  unauthenticated=$((unauthenticated + 1))
done <<'CASES'
the only transfer coding served is chunked|POST /api/v1/profiles/1/SkipMapRem HTTP/1.1\r\nTransfer-Encoding: identity\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n
Transfer-Encoding is given more than once|POST /api/v1/profiles/1/SkipMapRem HTTP/1.1\r\nTransfer-Encoding: chunked\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n
Content-Length is given more than once|POST /api/v1/profiles/1/SkipMapRem HTTP/1.1\r\nContent-Length: 2\r\nContent-Length: 2\r\n\r\n{}
both Content-Length and Transfer-Encoding|POST /api/v1/profiles/1/SkipMapRem HTTP/1.1\r\nContent-Length: 5\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n
the only transfer coding served is chunked|POST /api/v1/profiles/1/SkipMapRem HTTP/1.1\r\nTransfer-Encoding: gzip, chunked\r\n\r\n0\r\n\r\n
a folded header line|GET /api/v1/profiles HTTP/1.1\r\nX-A: 1\r\n  continued\r\n\r\n
not a token|GET /api/v1/profiles HTTP/1.1\r\nHost : x\r\n\r\n
the request line is not METHOD TARGET HTTP/1.1|HELLO WORLD\r\n\r\n
the method is not a token|\x01\x02\xfe\xff junk \x7f\r\n\r\n
a character a URI does not have|GET /api/v1/"profiles HTTP/1.1\r\n\r\n
CASES

# The head decides: refused and closed although the body was never sent.
expect_raw 401 "no token" "POST /api/v1/profiles/1/AddFileRem HTTP/1.1\r\n${H}Content-Length: 900\r\n\r\n"
unauthenticated=$((unauthenticated + 1))
expect_raw 403 'lacks the privilege \"Add New Maps\"' \
  "POST /api/v1/profiles/2/AddFileRem HTTP/1.1\r\n$skipper\r\nContent-Length: 900\r\n\r\n"
expect_raw 403 "may not touch profile 1" \
  "POST /api/v1/profiles/1/SkipMapRem HTTP/1.1\r\n$skipper\r\nContent-Length: 900\r\n\r\n"
# A chunked body is refused at the chunk that takes it past the limit, before its data.
expect_raw 413 "above the limit of 1000 bytes" \
  "POST /api/v1/profiles/1/SetMapsRem HTTP/1.1\r\n$boss\r\nTransfer-Encoding: chunked\r\n\r\n200\r\n$(printf 'a%.0s' $(seq 512))\r\n200\r\n"
# A good chunked request, and two requests on one connection.
raw "POST /api/v1/profiles/1/GetMapsRem HTTP/1.1\r\n$boss\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n0\r\n\r\n"
grep -q '^HTTP/1.1 200 ' "$tokens/raw" || fail "a chunked request: $(cat "$tokens/raw")"
raw "GET /api/v1/profiles HTTP/1.1\r\n$boss\r\n\r\nGET /api/v1/profiles HTTP/1.1\r\n$boss\r\nConnection: close\r\n\r\n"
[ "$(grep -o "HTTP/1.1 200 " "$tokens/raw" | wc -l)" -eq 2 ] || fail "two requests on one connection: $(cat "$tokens/raw")"

# Time: a head that stops, a body that stops, a connection left idle after its answer.
timed() {  # LOW HIGH STATUS BYTES: the answer comes LOW to HIGH seconds after the bytes
  local start=$SECONDS
  raw "$4" 8
  local took=$((SECONDS - start))
  grep -q "^HTTP/1.1 $3 " "$tokens/raw" || fail "$4: $(cat "$tokens/raw"), not $3"
  [ "$took" -ge "$1" ] && [ "$took" -le "$2" ] || fail "$4: closed after ${took} s, not $1-$2"
}
timed 1 4 408 "GET /api/v1/profiles HTTP/1.1\r\n$H"
unauthenticated=$((unauthenticated + 1))
timed 1 5 408 "POST /api/v1/profiles/1/PlayMapRem HTTP/1.1\r\n$boss\r\nContent-Length: 50\r\n\r\n{\"da"
grep -q "slower than 1000 bytes a second" "$tokens/raw" || fail "the slow body's reason"
timed 2 6 200 "GET /api/v1/profiles HTTP/1.1\r\n$boss\r\n\r\n"

# The limit of connections from one address: the fifth is refused at once.
fds=()
for _ in 1 2 3 4 5; do
  exec {fd}<>"/dev/tcp/127.0.0.1/$port"
  fds+=("$fd")
done
timeout 2 head -c 12 <&"${fds[4]}" | grep -q "HTTP/1.1 503" || fail "a fifth connection was not refused"
tail -1 "$root"/logs/audit/*.jsonl | grep '"status":503' | grep -q "4 connections from this address" ||
  fail "the refused connection is not audited"
unauthenticated=$((unauthenticated + 1))
for fd in "${fds[@]}"; do exec {fd}>&-; done

# The audit: a long path is cut; refusals without an administrator are written 30 a minute
# from one address, and one line counts the rest when the window ends (here: at the stop).
long="/$(head -c 60000 /dev/zero | tr '\0' 'a')"
curl -s -o /dev/null "$url$long"
unauthenticated=$((unauthenticated + 1))
line="$(grep -F '"status":401' "$root"/logs/audit/*.jsonl | grep -F 'aaaa' | tail -1)"
[ -n "$line" ] && [ "${#line}" -lt 2000 ] || fail "the long path's audit line has ${#line} characters"
echo "$line" | grep -q '(60001 characters)' || fail "the cut path does not say its length"
curl -s $(for _ in $(seq 40); do echo "$url/api/v1/profiles"; done) > /dev/null
unauthenticated=$((unauthenticated + 40))
stop_host
written="$(grep '"admin":null' "$root"/logs/audit/*.jsonl | grep -c '"outcome":"refused"')"
dropped="$(sed -n 's/.*"dropped":\([0-9]*\).*/\1/p' "$root"/logs/audit/*.jsonl)"
[ "$written" -eq 30 ] && [ "$((written + dropped))" -eq "$unauthenticated" ] ||
  fail "$written written and '$dropped' counted of $unauthenticated refusals without a token"

# 260 idle connections on a host with 256 descriptors.
rm -rf "$root"/logs/audit
sed -i '/^MaxConnectionsPerAddress/d' "$root/administrators.ini"
api_setting "MaxConnections = 1000"
api_setting "MaxConnectionsPerAddress = 1000"
launch=(bash -c 'ulimit -n 256 && exec "$@"' limited)
start_host
fds=()
for _ in $(seq 260); do
  exec {fd}<>"/dev/tcp/127.0.0.1/$port"
  fds+=("$fd")
done
sleep 0.5
# Beyond what the descriptors allow, a connection is refused at once or an idle one is closed
# to make room: either way the client sees the end of it.
ended=0
for fd in "${fds[@]}"; do
  if read -r -t 0 -u "$fd"; then ended=$((ended + 1)); fi
done
[ "$ended" -ge $((260 - 192)) ] || fail "only $ended of 260 connections were refused or closed"
before="$(cpu_ticks)"
sleep 1.5
# A client comes after the flood: the longest idle connection makes room for it.
got="$(curl -s -m 5 -o /dev/null -w '%{http_code}' -H "$boss" "$url/api/v1/profiles")"
[ "$got" = 200 ] || fail "a valid client got $got while 260 connections were open"
sleep 1.5
spent=$(($(cpu_ticks) - before))
[ "$spent" -lt 50 ] || fail "the host spent $spent ticks in 3 s with idle connections"
for fd in "${fds[@]}"; do exec {fd}>&- 2>/dev/null || true; done
# The audit line is written before the answer: a host killed right after answering has it.
curl -s -o /dev/null -H "$boss" "$url/api/v1/profiles"
kill -KILL "$host_pid"
wait "$host_pid" 2>/dev/null || true
host_pid=""
tail -1 "$root"/logs/audit/*.jsonl | grep -q '"operation":"profiles"' ||
  fail "the last answer's audit line is missing after SIGKILL"
echo "passed: framing, head checks, time limits, audit limits and connection limits"
