#!/usr/bin/env bash
# The plug-in against a server process, checked in the server's own memory with rotaryn-memtool
# while rotaryn-admin drives the host: the rotation read at load (GetMapsRem), a new one written
# entries first and counts last (SetMapsRem), the score limits of each game type's family,
# play-next, skip and score, and at the end of a game the monitor's next game type and its cut
# of the end-of-game display to the profile's display time.
# usage: monitor_e2e_test.sh ROTARYN_HOST ROTARYN_ADMIN DFBHD_SIM|DFBHD_SIM_EXE ROTARYN_MEMTOOL
set -euo pipefail
host="$(realpath "$1")"
admin="$(realpath "$2")"
sim="$(realpath "$3")"
memtool="$(realpath "$4")"
source "$(dirname "$0")/api_common.sh"

add_admin boss "Change Map List,Skip Maps"
# The server's own display lasts 600 s: only the monitor's cut brings it to 5 s within the test.
# At twice real time a skip's display (500 of the server's 62 a second) and the loading between
# games each span a tick of the monitor (every 2 s), which acts in both.
start_host --display-length 600 --speed 2 --loading-seconds 6
export ROTARYN_TOKEN="$(token_of boss)"
run_admin() { "$admin" --host "$url" "$@" || fail "rotaryn-admin $* exited $?"; }
peek() { "$memtool" --pid "$sim1" peek "$1" | awk '{print $1}'; }
field_is() {  # KEY VALUE: waits up to 30 s
  for _ in $(seq 300); do
    [ "$(peek "$1")" = "$2" ] && return 0
    sleep 0.1
  done
  fail "$1 is $(peek "$1"), not $2: $("$memtool" --pid "$sim1" status)"
}

# Read at load: the server's four maps, through the raw operation as well.
run_admin maps show 1 | grep -q "Rotation (4 maps)" || fail "the rotation read at load"
raw="$(curl -s -H "Authorization: Bearer $ROTARYN_TOKEN" "$url/api/v1/profiles/1/GetMapsRem")"
grep -q '"result": *"[0-9]' <<< "$raw" || fail "GetMapsRem did not answer the maps: $raw"

# A new rotation while something samples it: no sample shows the new count of 3 before its
# three entries are all in place.
printf '1[-]0[-]TDMM_01B.BMS\r\n3[-]0[-]TKHM_01A.BMS\r\n8[-]0[-]FBM_01B.BMS\r\n' > "$root/new.mpl"
( while [ ! -e "$root/stop" ]; do
    "$memtool" --pid "$sim1" rotation 2>/dev/null || true
    echo "=="
  done > "$root/samples" ) &
sampler=$!
run_admin maps set 1 "$root/new.mpl" --scores 15,40,25 > /dev/null
touch "$root/stop"
wait "$sampler"
awk '/^3 maps/ { open = 1; found = 0; next }
     open && /TDMM_01B|TKHM_01A|FBM_01B/ { found++ }
     /^==/ { if (open && found < 3) bad++; open = 0 }
     END { exit bad > 0 }' "$root/samples" || fail "a sample showed the count before the entries"
"$memtool" --pid "$sim1" rotation | grep -q "^3 maps" || fail "the rotation is not 3 maps"
"$memtool" --pid "$sim1" status | grep -q "configured CMaxKills 40, CGameScore 25, CKothLimit 15" ||
  fail "the configured limits"

# Limits by family: kills for the deathmatch still playing, king of the hill and game score for
# the maps play-next and skip bring on.
field_is GameType 0
field_is Score1a 40
run_admin play 1 1 > /dev/null
run_admin skip 1 > /dev/null
field_is GameType 3
field_is Score2a 15
run_admin play 1 2 > /dev/null
run_admin skip 1 > /dev/null
field_is GameType 8
field_is Score1a 25

# Score: the full end-of-game display, cut by the monitor to the profile's 5 s (1 unit: 310 of
# the server's 62 a second) from the server's own 600 s; the five game-type fields name the type
# of the map after it (entry 0, Team Deathmatch) while the display runs.
run_admin display-time 1 1 > /dev/null
run_admin play 1 0 > /dev/null
run_admin score 1 > /dev/null
field_is GameState 4
for key in GTUpdate1 GTUpdate2 GTUpdate3 GTUpdate4 GTUpdate5; do field_is "$key" 1; done
cut=""
for _ in $(seq 300); do
  state="$(peek GameState)"
  countdown="$(peek RestartTmr)"
  [ "$state" = 4 ] && [ "$countdown" -le 310 ] && [ "$countdown" -gt 0 ] && cut=yes && break
  [ "$state" = 4 ] || break
  sleep 0.1
done
[ -n "$cut" ] || fail "the display was not cut to 310 (state $state, RestartTmr $countdown)"
field_is GameState 2
field_is GameType 1
"$memtool" --pid "$sim1" status | grep -q "CurMap *Mean Streets B" || fail "the map after score"
"$memtool" --pid "$sim1" status | grep -q "Violations  0" || fail "the server saw a torn rotation"
echo "monitor end to end: passed"
