#!/usr/bin/env bash
# The remote API end to end: a headless host on real dfbhd-sim servers, driven only by
# rotaryn-admin. Shows the maps, sets a rotation that the server then plays, skips, plays next,
# adds, edits and deletes a task, uploads and deletes a map file, changes the two settings; the
# plug-in's admin log and the host's audit hold a line for each.
# usage: api_e2e_test.sh ROTARYN_HOST ROTARYN_ADMIN DFBHD_SIM ROTARYN_MEMTOOL
set -euo pipefail
host="$(realpath "$1")"
admin="$(realpath "$2")"
sim="$(realpath "$3")"
memtool="$(realpath "$4")"
source "$(dirname "$0")/api_common.sh"

add_admin boss "Change Map List,Skip Maps,Delete Maps,Add New Maps,Add New Tasks,Delete Tasks"
start_host
export ROTARYN_TOKEN="$(token_of boss)"
run_admin() { "$admin" --host "$url" "$@"; }
status1() { "$memtool" --pid "$sim1" status; }
changes=0
# Every remote operation is built: each command must succeed.
built() {
  local out code=0
  out="$(run_admin "$@" 2>&1)" || code=$?
  [ "$code" -eq 0 ] || fail "rotaryn-admin $* exited $code: $out"
  echo "$out"
}

run_admin profiles | grep -q "^1  one  DFBHD  loaded$" || fail "profiles: $(run_admin profiles)"

out="$(built maps show 1)" || fail "maps show"
grep -q "Rotation (4 maps)" <<< "$out" || fail "maps show: $out"
grep -qE "^  0 +City Madness +DMM_01A.BMS +Deathmatch +stock$" <<< "$out" || fail "rotation row: $out"
run_admin --json maps show 1 | grep -q '"missionFile": "FBM_01A.BMS"' || fail "maps show --json"


printf '1[-]0[-]TDMM_01B.BMS\r\n8[-]0[-]FBM_01B.BMS\r\n0[-]0[-]DMK_01A.BMS\r\n' > "$root/new.mpl"
if built maps set 1 "$root/new.mpl" --scores 15,40,25; then
  changes=$((changes + 1))
  wait_until "3 maps" "$memtool" --pid "$sim1" rotation
  "$memtool" --pid "$sim1" rotation | grep -q "TDMM_01B.BMS *Mean Streets B" || fail "new rotation"
  status1 | grep -q "configured CMaxKills 40, CGameScore 25, CKothLimit 15" || fail "new limits"
  # The server plays the new rotation: the next map after a skip is one of its maps.
  built skip 1 > /dev/null
  changes=$((changes + 1))
  wait_until "CurMap *\(Mean Streets B\|Pigskin B\|Road Rage\)" status1
fi
wait_until "GameState *2" status1

# Play next: position 2 of the rotation comes after the current game.
before="$(status1 | sed -n 's/^CurMap *//p')"
built play 1 2 > /dev/null
changes=$((changes + 1))
third="$("$memtool" --pid "$sim1" rotation | awk '$1 == "2" || ($1 == ">" && $2 == "2")' |
  sed 's/.*\.BMS *//')"
built skip 1 > /dev/null
changes=$((changes + 1))
wait_until "CurMap *$third" status1
[ -n "$third" ] || fail "no third map in the rotation"

tasks="$root/profiles/one/settings/MapTasks.ini"
if built task add 1 25/12/2030 20:00:00 Random "Every Day" > /dev/null; then
  changes=$((changes + 1))
  grep -q "^\[25/12/2030 20:00:00\]" "$tasks" || fail "task add"
  built task edit 1 25/12/2030 20:00:00 26/12/2030 21:30:00 Random "Every Week" > /dev/null
  changes=$((changes + 1))
  grep -q "^\[26/12/2030 21:30:00\]" "$tasks" || fail "task edit: new section"
  grep -q "25/12/2030" "$tasks" && fail "task edit: old section left"
  grep -q "Every Week" "$tasks" || fail "task edit: frequency"
  built task delete 1 26/12/2030 21:30:00 > /dev/null
  changes=$((changes + 1))
  grep -q "26/12/2030" "$tasks" && fail "task delete"
fi

head -c 3000 /dev/urandom > "$root/upload.bms"
if built file upload 1 "$root/upload.bms" > /dev/null; then
  changes=$((changes + 1))
  cmp -s "$root/upload.bms" "$root/games/one/upload.bms" || fail "the uploaded file differs"
  built file delete 1 upload.bms > /dev/null
  changes=$((changes + 1))
  [ -e "$root/games/one/upload.bms" ] && fail "file delete left the file"
fi

if built autoload 1 1 > /dev/null; then
  changes=$((changes + 1))
  grep -q "^one=1" "$root/Plugins/Maps.ini" || fail "autoload"
fi
if built display-time 1 4 > /dev/null; then
  changes=$((changes + 1))
  grep -q "^one=4" "$root/Plugins/Maps.ini" || fail "display time"
fi

# One admin-log line per change, each naming the administrator; an audit line per request.
lines="$(admin_log | grep -c " from boss$" || true)"
[ "$lines" -eq "$changes" ] || fail "$lines admin-log lines for $changes changes: $(admin_log)"
admin_log | grep -q "Play Map from boss" || fail "no Play Map line"
grep -q '"admin":"boss"' "$root"/logs/audit/*.jsonl || fail "no audit line for boss"
accepted="$(grep -c '"outcome":"accepted"' "$root"/logs/audit/*.jsonl)"
[ "$accepted" -ge "$changes" ] || fail "$accepted accepted audit lines for $changes changes"
grep -q '"operation":"SkipMapRem".*"result":1' "$root"/logs/audit/*.jsonl ||
  grep -q '"result":1.*"operation":"SkipMapRem"' "$root"/logs/audit/*.jsonl ||
  fail "the skip's audit line lacks its result"

# Refused has an exit code of its own (unreachable: the tool's unit test).
set +e
ROTARYN_TOKEN=wrong "$admin" --host "$url" profiles 2> /dev/null
[ $? -eq 3 ] || fail "a wrong token is not exit 3"
set -e
echo "passed: $changes changes through rotaryn-admin"
