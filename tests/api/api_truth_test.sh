#!/usr/bin/env bash
# What rotaryn-admin tells a remote administrator is what the server holds: a rotation read back
# after it is set (256 maps, an unknown map, no game running, a killed server), a skip seen to end
# the game (and a stopped server seen not to), the plug-in's own report of a failure, tasks the
# API refuses before the plug-in sees them (audited with what they named), a task edit that
# cannot be made keeping the old task, and a token file kept as --add-admin printed it.
# usage: api_truth_test.sh ROTARYN_HOST ROTARYN_ADMIN DFBHD_SIM ROTARYN_MEMTOOL
set -euo pipefail
host="$(realpath "$1")"
admin="$(realpath "$2")"
sim="$(realpath "$3")"
memtool="$(realpath "$4")"
source "$(dirname "$0")/api_common.sh"

"$host" --root "$root" --add-admin boss \
  --privileges "Change Map List,Skip Maps,Add New Maps,Add New Tasks,Delete Tasks" \
  > "$tokens/boss.out" || fail "--add-admin"
# Profile 2's server stays between games: no game runs there.
profile2_args="--state 1 --loading-seconds 100000" start_host
run() {  # CODE ARGS...: rotaryn-admin must exit CODE; its output (both streams) in $out
  local want="$1" code=0
  shift
  out="$("$admin" --host "$url" --token-file "$tokens/boss.out" "$@" 2>&1)" || code=$?
  [ "$code" -eq "$want" ] || fail "rotaryn-admin $* exited $code, not $want: $out"
}
says() { grep -q -- "$1" <<< "$out" || fail "expected '$1' in: $out"; }
audit() { cat "$root"/logs/audit/*.jsonl; }
rotation_count() { "$memtool" --pid "$1" status | sed -n 's/^Rotation *\([0-9]*\) maps.*/\1/p'; }

# The token file holds --add-admin's whole output: its last line is the token.
run 0 profiles
: > "$tokens/empty"
code=0
"$admin" --host "$url" --token-file "$tokens/empty" profiles 2> "$tokens/err" || code=$?
[ "$code" -eq 2 ] && grep -q "holds no token" "$tokens/err" || fail "an empty token file: $code"

# A rotation the server takes is read back and named.
printf '1[-]0[-]TDMM_01B.BMS\r\n8[-]0[-]FBM_01B.BMS\r\n0[-]0[-]DMK_01A.BMS\r\n' > "$root/three.mpl"
run 0 maps set 1 "$root/three.mpl" --scores 15,40,25
says "the server plays the new rotation of 3 maps, limits 15, 40, 25"
# 256 maps and an unknown map: nothing is sent and the server keeps its rotation.
for _ in $(seq 256); do printf '0[-]0[-]DMK_01A.BMS\r\n'; done > "$root/big.mpl"
run 1 maps set 1 "$root/big.mpl"
says "at most 255"
says "keeps its rotation of 3 maps"
printf '0[-]0[-]DMK_01A.BMS\r\n0[-]0[-]NOPE_01.BMS\r\n' > "$root/unknown.mpl"
run 1 maps set 1 "$root/unknown.mpl"
says "NOPE_01.BMS"
says "keeps its rotation of 3 maps"
# No game running: the plug-in does not apply it, and the tool says why.
before2="$(rotation_count "$sim2")"
run 1 maps set 2 "$root/three.mpl"
says "kept its old rotation of $before2 maps"
says "no game is running"
run 1 maps set 2 --scores 5,6,7
says "holds the rotation of $before2 maps and the limits sent, but the plug-in did not apply"

# A skip is seen to end the game; on a stopped server it is not.
run 0 skip 1
says "the server ended the game"
wait_until "GameState *2" "$memtool" --pid "$sim1" status
kill -STOP "$sim1"
run 1 skip 1
kill -CONT "$sim1"
says "did not end the game within 5 s"

# The plug-in's own report of a failure reaches the administrator and the audit.
mkdir -p "$root/games/one/blocked.bms"
printf 'BMS' > "$root/blocked.bms"
run 1 file upload 1 "$root/blocked.bms"
says "the plug-in reported: DLL Error!"
audit | grep '"operation":"AddFileRem"' | grep '"outcome":"refused"' | grep -q '"file":"blocked.bms"' ||
  fail "the plug-in's refusal is not audited as one: $(audit | tail -2)"

# Tasks the API refuses before the plug-in sees them; the audit names what they held.
run 0 task add 1 25/12/2030 20:00:00 Random "Every Day"
run 0 task add 1 26/12/2030 20:00:00 Random Once
# A date the calendar lacks: the tool knows the one task date grammar and sends nothing.
run 2 task add 1 31/02/2030 20:00:00 Random Once
says "a task's date is dd/mm/yyyy"
run 3 task add 1 27/12/2030 20:00:00 '..\..\games\alpha\evil.mpl' Once
says "neither Random nor one .mpl file"
audit | grep '"status":400' | grep -q 'evil.mpl' || fail "the refused task file is not audited"
# An edit to a date that does not exist keeps the old task.
run 2 task edit 1 25/12/2030 20:00:00 30/02/2031 20:00:00 Random Once
grep -q "^\[25/12/2030 20:00:00\]" "$root/profiles/one/settings/MapTasks.ini" ||
  fail "a refused edit lost the old task"
run 0 maps show 1
says "Tasks (2)"
run 1 task delete 1 01/01/2031 20:00:00
says "there is no task at 01/01/2031 20:00:00"
admin_log | grep -q "01/01/2031" && fail "a task that was not there got an admin-log line"

# A killed server: the tool says it cannot be changed, never that it was.
kill -KILL "$sim2"
wait_for "profile 2 (two): its server"
code=0
out="$("$admin" --host "$url" --token-file "$tokens/boss.out" maps set 2 "$root/three.mpl" 2>&1)" ||
  code=$?
[ "$code" -ne 0 ] || fail "maps set on a killed server exited 0: $out"
grep -q "plays the new" <<< "$out" && fail "a killed server said to play: $out"
echo "passed"
