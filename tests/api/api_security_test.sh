#!/usr/bin/env bash
# Refusals of the remote API change nothing: no token, a wrong token, another administrator's
# profile, every operation without its privilege, path-escaping file names, an oversized body;
# each is refused with its status, leaves the root's files and the servers' memory as they were,
# and is audited. The API is not reachable on a non-loopback address by default.
# usage: api_security_test.sh ROTARYN_HOST DFBHD_SIM ROTARYN_MEMTOOL
set -euo pipefail
host="$(realpath "$1")"
sim="$(realpath "$2")"
memtool="$(realpath "$3")"
source "$(dirname "$0")/api_common.sh"

add_admin boss "Change Map List,Skip Maps,Delete Maps,Add New Maps,Add New Tasks,Delete Tasks"
add_admin other "Skip Maps" 2
add_admin reader "Delete Tasks"
add_admin tasker "Change Map List,Skip Maps,Delete Maps,Add New Maps,Add New Tasks"
start_host
echo "keep me" > "$root/games/victim.bms"
echo "keep me" > "$root/victim.bms"
mkdir -p "$root/games/one/sub"

snapshot() {
  (cd "$root" && find . -type f ! -path "./logs/audit/*" -print0 | sort -z | xargs -0 sha256sum)
  "$memtool" --pid "$sim1" status
  "$memtool" --pid "$sim1" rotation
  "$memtool" --pid "$sim2" status
}
requests=0
# STATUS TOKEN METHOD PATH [BODY]: the answer must have that status and name the reason.
expect() {
  local status="$1" token="$2" method="$3" path="$4" body="${5:-}" got
  local auth=()
  [ -n "$token" ] && auth=(-H "Authorization: Bearer $token")
  got="$(curl -s -o "$tokens/answer" -w '%{http_code}' -X "$method" "${auth[@]}" \
    -H 'Expect:' --data-binary "$body" "$url$path")"
  requests=$((requests + 1))
  [ "$got" = "$status" ] || fail "$method $path $body: $got, not $status: $(cat "$tokens/answer")"
  grep -q '"message"' "$tokens/answer" || fail "$method $path: no message: $(cat "$tokens/answer")"
}
b64() { printf '%s' "$1" | base64 -w0; }

before="$(snapshot)"
audit_before="$(audit_lines)"

expect 401 "" GET /api/v1/profiles
expect 401 "" POST /api/v1/profiles/1/SkipMapRem
expect 401 "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef" POST \
  /api/v1/profiles/1/SkipMapRem
expect 401 "$(token_of boss)x" POST /api/v1/profiles/1/SkipMapRem
expect 403 "$(token_of other)" POST /api/v1/profiles/1/SkipMapRem
expect 403 "$(token_of other)" POST /api/v1/profiles/1/GetMapsRem
grep -q "may not touch profile 1" "$tokens/answer" || fail "the refusal names the profile"
curl -s -H "Authorization: Bearer $(token_of other)" "$url/api/v1/profiles" |
  grep -Eq "\"index\": ?1[,}]" && fail "the profile list shows another administrator's profile"
requests=$((requests + 1))

# Every operation without its privilege (valid data, so only the privilege is missing).
reader="$(token_of reader)"
expect 403 "$reader" POST /api/v1/profiles/1/SetMapsRem '{"data":"12|abc"}'
grep -q 'lacks the privilege \\"Change Map List\\"' "$tokens/answer" || fail "privilege not named"
expect 403 "$reader" POST /api/v1/profiles/1/SetAutoLoad '{"data":"1"}'
expect 403 "$reader" POST /api/v1/profiles/1/SetDisplayTimer '{"data":"3"}'
expect 403 "$reader" POST /api/v1/profiles/1/SkipMapRem
expect 403 "$reader" POST /api/v1/profiles/1/ScoreMapRem
expect 403 "$reader" POST /api/v1/profiles/1/PlayMapRem '{"data":1}'
expect 403 "$reader" POST /api/v1/profiles/1/AddFileRem '{"data":"x.bms|1/2/"}'
expect 403 "$reader" POST /api/v1/profiles/1/DeleteFileRem "{\"data\":\"$(b64 victim.bms)\"}"
expect 403 "$reader" POST /api/v1/profiles/1/AddTaskRem \
  "{\"data\":\"$(b64 '01/01/2031 10:00:00|Random|Once')\"}"
expect 403 "$reader" POST /api/v1/profiles/1/EditTaskRem \
  "{\"data\":\"$(b64 '01/01/2031 10:00:00|02/01/2031 10:00:00|Random|Once')\"}"
expect 403 "$(token_of tasker)" POST /api/v1/profiles/1/DeleteTaskRem '{"data":"01/01/2031 10:00:00"}'

# File names that would leave the game folder never reach the plug-in.
boss="$(token_of boss)"
for name in ../victim.bms '..\\victim.bms' ../../victim.bms /tmp/evil.bms 'C:\\evil.bms' \
  'sub/../../victim.bms' 'sub\\x.bms' .. . ''; do
  expect 400 "$boss" POST /api/v1/profiles/1/AddFileRem "{\"data\":\"$name|1/2/3/\"}"
done
for name in ../victim.bms '..\victim.bms' ../../victim.bms /etc/hostname 'C:\evil.bms' .. ''; do
  expect 400 "$boss" POST /api/v1/profiles/1/DeleteFileRem "{\"data\":\"$(b64 "$name")\"}"
done
# Malformed envelopes.
expect 400 "$boss" POST /api/v1/profiles/1/PlayMapRem '{"data":'
expect 400 "$boss" POST /api/v1/profiles/1/PlayMapRem '{"data":"two"}'
expect 400 "$boss" POST /api/v1/profiles/1/PlayMapRem '{"position":2}'
expect 400 "$boss" POST /api/v1/profiles/1/SkipMapRem '{"data":1}'
expect 400 "$boss" POST /api/v1/profiles/1/SetDisplayTimer '{"data":10}'
expect 404 "$boss" POST /api/v1/profiles/1/FormatDisk
expect 404 "$boss" POST /api/v1/profiles/7/SkipMapRem
expect 405 "$boss" GET /api/v1/profiles/1/SkipMapRem

# A body above the limit (32 MiB) is refused from its head.
head -c $((33 * 1024 * 1024)) /dev/zero | tr '\0' 'a' > "$tokens/big"
got="$(curl -s -o "$tokens/answer" -w '%{http_code}' -H "Authorization: Bearer $boss" \
  -H 'Expect:' --data-binary @"$tokens/big" "$url/api/v1/profiles/1/AddFileRem")"
requests=$((requests + 1))
[ "$got" = 413 ] || fail "an oversized body: $got, not 413"
rm -f "$tokens/big"

after="$(snapshot)"
[ "$before" = "$after" ] || fail "a refusal changed something: $(diff <(echo "$before") <(echo "$after"))"
audited=$(($(audit_lines) - audit_before))
[ "$audited" -eq "$requests" ] || fail "$audited audit lines for $requests requests"
refused="$(grep -c '"outcome":"refused"' "$root"/logs/audit/*.jsonl)"
[ "$refused" -eq $((requests - 1)) ] || fail "$refused refused lines for $((requests - 1)) refusals"
grep '"status":413' "$root"/logs/audit/*.jsonl | grep -q '"admin":"boss"' ||
  fail "the 413 is not audited with its administrator"

# Not reachable on another address of this machine.
address="$(hostname -I 2>/dev/null | tr ' ' '\n' | grep -v '^127\.' | grep -v ':' | head -1 || true)"
if [ -n "$address" ]; then
  if curl -s -m 5 -o /dev/null "http://$address:$port/api/v1/profiles"; then
    fail "the API answered on $address"
  fi
else
  echo "note: this machine has no non-loopback IPv4 address to try"
fi
echo "passed: $requests refused requests changed nothing"
