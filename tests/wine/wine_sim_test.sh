#!/usr/bin/env bash
# dfbhd-sim.exe under Wine is dfbhd-sim: the same command line, its fields where rotaryn-memtool
# reads them from Linux in the Wine process, the console mailbox reaching it, a game ending at
# its score limit. With a host, also
# `Server = find NAME.exe`: one such process found, none or two refused naming them.
# usage: wine_sim_test.sh BITS DFBHD_SIM_EXE DFBHD_SIM ROTARYN_MEMTOOL [ROTARYN_HOST]
set -euo pipefail
bits="$1"
exe="$(realpath "$2")"
linux_sim="$3"
memtool="$4"
host="${5:-}"
sim="$exe"
source "$(dirname "$0")/../support/wine_env.sh"
if [ "$bits" = 32 ]; then
  # Debian's wine runs the 32-bit loader when wine32 is installed.
  [ -x /usr/lib/wine/wine ] ||
    wine_skip "32-bit Wine is not installed (Debian wine32:i386; scripts/install-deps.sh wine32)"
  wine_loader=/usr/lib/wine/wine
fi
work="$(mktemp -d /tmp/rotaryn-wine-XXXXXX)"
servers=()
host_pid=""
cleanup() {
  [ -n "$host_pid" ] && kill -KILL "$host_pid" 2>/dev/null
  for pid in "${servers[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED ($bits-bit): $*" >&2
  for file in "$work"/*.out "$work"/log; do [ -f "$file" ] && sed "s|^|  $(basename "$file") |" "$file" >&2; done
  exit 1
}
# Starts the program under Wine with these options; $pid is the Linux pid its ready line names.
start_sim() {
  local out="$work/sim${#servers[@]}.out"
  "$wine_loader" "${program:-$exe}" "$@" > "$out" 2>&1 &
  servers+=($!)
  for _ in $(seq 300); do
    pid="$(sed -n 's/^dfbhd-sim ready pid=\([0-9]*\).*/\1/p' "$out")"
    [ -n "$pid" ] && return 0
    sleep 0.1
  done
  fail "no ready line"
}
wait_until() {  # PATTERN COMMAND...: up to 30 s
  local pattern="$1"
  shift
  for _ in $(seq 300); do
    "$@" 2>/dev/null | grep -q -- "$pattern" && return 0
    sleep 0.1
  done
  fail "'$*' never showed '$pattern': $("$@" 2>&1)"
}

# The same command line: the same help, the same refusal. (Every Wine program writes to a file:
# Wine's own services, started by the first program of a wineserver, keep its descriptors.)
"$linux_sim" --help > "$work/linux-help"
"$wine_loader" "$exe" --help > "$work/wine-help" 2>&1 || fail "--help under Wine failed"
tr -d '\r' < "$work/wine-help" | diff "$work/linux-help" - > "$work/help.out" ||
  fail "the help differs from dfbhd-sim's"
set +e
"$wine_loader" "$exe" --frobnicate > "$work/refused.out" 2>&1
code=$?
set -e
[ "$code" -eq 2 ] || fail "an unknown option exited $code, not 2"
grep -q "unknown option --frobnicate" "$work/refused.out" || fail "the refusal does not name it"

start_sim --verbose --build affiliate --game-length 0 --display-length 1 --loading-seconds 0.2 \
  --tick-ms 20
[ "$pid" = "${servers[0]}" ] || fail "the ready line names $pid, not the Wine process ${servers[0]}"
status() { "$memtool" --pid "$pid" --build affiliate status; }
out="$(status)" || fail "memtool status: $out"
for line in "GameState *2" "CurMap *City Madness" "Rotation *4 maps (copy 4)" "Violations *0"; do
  grep -q "$line" <<< "$out" || fail "status lacks '$line': $out"
done
"$memtool" --pid "$pid" --build affiliate poke GTUpdate1 3 > /dev/null || fail "poke"
[ "$("$memtool" --pid "$pid" --build affiliate peek 0x9E955C)" = "$("$memtool" --pid "$pid" \
  --build affiliate peek GTUpdate1)" ] || fail "a key and its address read differently"
"$memtool" --pid "$pid" --build affiliate peek GTUpdate1 | grep -qw 3 || fail "the poke did not stick"
# The console mailbox: the command is taken and the game ends; the next map follows.
"$memtool" --pid "$pid" --build affiliate send resetgames > /dev/null || fail "send"
wait_until "console command \"resetgames\"" cat "$work/sim0.out"
"$memtool" --pid "$pid" --build affiliate peek MsgTypeAdd | grep -qw 0 || fail "the mailbox was not emptied"
wait_until "CurMap *Mean Streets A" status
echo "dfbhd-sim.exe ($bits-bit) under $("$wine_loader" --version): same options, fields and mailbox"

[ -n "$host" ] || exit 0
kill -TERM "${servers[0]}"
wait "${servers[0]}" 2>/dev/null || true
servers=()
# A copy of its own name: other tests' servers may run meanwhile.
program="$work/find-$$.exe"
cp "$exe" "$program"
"$host" --init-root "$work/root" > /dev/null || fail "--init-root"
mkdir -p "$work/root/games/one"
cat > "$work/root/host.ini" <<INI
[Profile 1]
Server = find FIND-$$.EXE
ServerType = DFBHD
GameFolder = games/one
ProfileFolder = one
INI
run_host() { "$host" --headless --root "$work/root" --duration 2 > "$work/log" 2>&1 || true; }
# The standard build, whose side scores: the game ends at the server's kill limit.
start_sim --game-length 0 --scoring-rate 20 --verbose
first="$pid"
wait_until "score limit 30 reached" cat "$work/sim0.out"
"$memtool" --pid "$first" status | grep -q "Score  *30" || fail "the score is not 30"
run_host
grep -q "profile 1 (one): loaded; its server runs as pid $first$" "$work/log" ||
  fail "find did not load the one server ($first)"
kill -0 "$first" 2>/dev/null || fail "the host stopped a server it did not start"
start_sim --game-length 0
run_host
grep -q "not loaded: 2 processes run FIND-$$.EXE: $first (.*find-$$.exe.*), $pid (" \
  "$work/log" || fail "two servers were not refused by name"
for server in "${servers[@]}"; do kill -TERM "$server"; wait "$server" 2>/dev/null || true; done
servers=()
run_host
grep -q "not loaded: no running process runs FIND-$$.EXE" "$work/log" || fail "none was not refused"
echo "Server = find: one found, two and none refused"
