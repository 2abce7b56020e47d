#!/usr/bin/env bash
# A task on the real clock: the headless host loads a profile on a dfbhd-sim process, and a
# task due in the next minute loads a saved map list and writes it into the server.
# usage: tasks_headless_test.sh ROTARYN_HOST DFBHD_SIM ROTARYN_MEMTOOL
set -euo pipefail
host="$(realpath "$1")"
sim="$(realpath "$2")"
memtool="$(realpath "$3")"
source "$(dirname "$0")/../support/host_test_lib.sh"
host_test_root tasks

one_profile_root

# The minute after the next one starts, unless this one has more than 30 s left: the host
# needs a moment to start, and the task must fall in a minute its timer ticks in.
second=$(date +%-S)
ahead=1
[ "$second" -ge 30 ] && ahead=2
due="$(date -d "+$ahead minute" '+%d/%m/%Y %H:%M'):00"
settings="$root/profiles/one/settings"
mkdir -p "$settings"
printf '1[-]0[-]TDMM_01A.BMS\r\n0[-]0[-]DMM_01E.BMS\r\n0[-]0[-]DMM_01G.BMS\r\n' > "$settings/evening.mpl"
printf '[%s]\r\nFile=evening.mpl\r\nFrequency=Once\r\n' "$due" > "$settings/MapTasks.ini"

"$host" --headless --root "$root" > "$root/log" 2>&1 &
host_pid=$!
wait_for "profile 1 (one): loaded; its server runs as pid"
pid="$(server_pid 1 one)"
before="$("$memtool" --pid "$pid" rotation)"
echo "$before" | grep -q "DMM_01G.BMS" && fail "the server plays the list already"

# At most the wait for the due minute plus the minute it takes to come round.
for _ in $(seq 1900); do
  after="$("$memtool" --pid "$pid" rotation)"
  if echo "$after" | grep -q "DMM_01G.BMS"; then
    echo "$after" | grep -q "TDMM_01A.BMS" || fail "the written rotation lacks a map: $after"
    echo "$after" | grep -q "DMM_01E.BMS" || fail "the written rotation lacks a map: $after"
    grep -q "^\[" "$root/log" && fail "a message box appeared"
    kill -TERM "$host_pid"
    wait "$host_pid" || true
    host_pid=""
    exit 0
  fi
  sleep 0.1
done
fail "the task due at $due did not change the rotation: $after"
