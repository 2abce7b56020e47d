#!/usr/bin/env bash
# The console's read-only endpoints end to end on dfbhd-sim servers: who am I, a profile's
# status while its server runs and after it stopped, the saved map lists, the tasks, the admin
# log of a day, the audit (only with "View Audit"), each refused for a profile the administrator
# may not touch; and rotaryn-admin status.
# usage: console_api_test.sh ROTARYN_HOST ROTARYN_ADMIN DFBHD_SIM ROTARYN_MEMTOOL
set -euo pipefail
host="$(realpath "$1")"
admin="$(realpath "$2")"
sim="$(realpath "$3")"
memtool="$(realpath "$4")"
source "$(dirname "$0")/api_common.sh"

add_admin ann "Skip Maps,Add New Tasks,View Audit"
add_admin bob "Skip Maps" 2
start_host
today="$(date +%F)"
printf '0[-]0[-]DMM_01A.BMS\r\n' > "$root/profiles/one/settings/evening.mpl"
touch "$root/profiles/one/settings/notes.txt"
task="$(printf '25/12/2026 20:00:00|evening.mpl|Every Week' | base64 -w0)"
curl -s -H "Authorization: Bearer $(token_of ann)" -d "{\"data\":\"$task\"}" \
  "$url/api/v1/profiles/1/AddTaskRem" | grep -q '"done":true' || fail "AddTaskRem"
# An audit day longer than an answer holds.
for i in $(seq 1005); do echo "{\"n\":$i}"; done > "$root/logs/audit/2026-01-01.jsonl"

# STATUS ADMIN PATH [JQ]: the answer has that status and, for 200, makes the jq filter true.
check() {
  local got
  got="$(curl -s -o "$tokens/answer" -w '%{http_code}' \
    -H "Authorization: Bearer $(token_of "$2")" "$url$3")"
  [ "$got" = "$1" ] || fail "$2 GET $3: $got, not $1: $(cat "$tokens/answer")"
  [ -z "${4:-}" ] || jq -e "$4" "$tokens/answer" > /dev/null ||
    fail "$2 GET $3: not $4: $(cat "$tokens/answer")"
}
audit_before="$(audit_lines)"
check 200 ann /api/v1/whoami '.name == "ann" and .privileges == ["Skip Maps", "Add New Tasks"]
  and .hostPrivileges == ["View Audit"] and .profiles == [1, 2]'
check 200 bob /api/v1/whoami '.privileges == ["Skip Maps"] and .hostPrivileges == [] and
  .profiles == [2]'
check 200 ann /api/v1/profiles/1/status '.running and .folder == "one" and
  .serverType == "DFBHD" and .build == "Delta Force,  V1.5.0.5" and .map == "City Madness" and
  .mapFile == "DMM_01A.BMS" and .gameTypeName == "Deathmatch" and .position == 0 and
  .rotationLength == 4 and (.nextMap | length > 0) and (.stateName | length > 0) and
  (.limits | keys) == ["gameScore", "kills", "koth"]'
check 200 ann /api/v1/profiles/1/maplists '.lists == ["evening.mpl"]'
check 200 ann /api/v1/profiles/1/tasks \
  '.tasks == [{"when": "25/12/2026 20:00:00", "file": "evening.mpl", "frequency": "Every Week"}]'
check 200 ann "/api/v1/profiles/1/adminlog?day=$today" '.day == "'"$today"'" and
  (.lines | length) == 1 and (.lines[0] | test("Add Task.*from ann$")) and .truncated == false'
check 200 ann /api/v1/profiles/1/adminlog?day=2020-01-01 '.lines == []'
check 400 ann /api/v1/profiles/1/adminlog?day=2026-02-30
check 400 ann /api/v1/profiles/1/adminlog?day=7.12.2026
check 400 ann "/api/v1/audit?day=$today&x=1"
check 200 ann /api/v1/audit?day=2026-01-01 '(.entries | length) == 1000 and .entries[0].n == 6
  and .truncated'
check 403 bob /api/v1/audit
check 403 bob /api/v1/profiles/1/status
check 403 bob /api/v1/profiles/1/adminlog
check 404 ann /api/v1/profiles/9/tasks
check 200 ann /api/v1/audit '[.entries[] | select(.admin == "bob" and .status == 403)] | length == 3'
[ "$(audit_lines)" -eq $((audit_before + 16)) ] || fail "not every request was audited"

export ROTARYN_TOKEN="$(token_of ann)"
"$admin" --host "$url" status > "$tokens/table" || fail "rotaryn-admin status"
grep -qE "^1 +one +DFBHD +[a-z ]+ +City Madness +Deathmatch +0/4 " "$tokens/table" ||
  fail "status table: $(cat "$tokens/table")"

# The list's version: asked with it, 304 at once, or held until the list changes (a server
# stops) or the wait is over.
tag="$(curl -s -D - -o /dev/null -H "Authorization: Bearer $ROTARYN_TOKEN" "$url/api/v1/status" |
  sed -n 's/^etag: \(.*\)\r$/\1/Ip')"
[ -n "$tag" ] || fail "no ETag on the status list"
held() {  # QUERY -> "status seconds", the answer in $tokens/held
  curl -s -o "$tokens/held" -w '%{http_code} %{time_total}' -H "If-None-Match: $tag" \
    -H "Authorization: Bearer $ROTARYN_TOKEN" "$url/api/v1/status$1"
}
[ "$(held "" | cut -d' ' -f1)" = 304 ] || fail "the same list again is not 304"
read -r code seconds <<< "$(held "?wait=2")"
[ "$code" = 304 ] && awk -v s="$seconds" 'BEGIN { exit !(s >= 1.9 && s < 10) }' ||
  fail "held for 2 s: $code after $seconds s"
check 400 ann "/api/v1/status?wait=31"
held "?wait=25" > "$tokens/held.out" &
held_pid=$!
sleep 0.5
kill "$sim2"
wait "$held_pid"
read -r code seconds <<< "$(cat "$tokens/held.out")"
[ "$code" = 200 ] && awk -v s="$seconds" 'BEGIN { exit !(s < 20) }' ||
  fail "held until a server stopped: $code after $seconds s"
jq -e '.profiles[] | select(.index == 2) | .status.running == false' "$tokens/held" > /dev/null ||
  fail "the changed list: $(cat "$tokens/held")"

wait_for "profile 2 (two): its server (pid $sim2)"
check 200 ann /api/v1/profiles/2/status '.running == false and (has("map") | not)'
"$admin" --host "$url" status 2 | grep -qE "^2 +two +DFBHD +stopped$" || fail "stopped row"
"$admin" --host "$url" --json status 1 | jq -e '.profile == 1 and .running' > /dev/null ||
  fail "status --json"
echo "console API: ok"
