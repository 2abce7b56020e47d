#!/usr/bin/env bash
# The headless host end to end: a malformed host.ini starts nothing; two simulated servers are
# loaded; one that dies gets its profile disabled; a pid that is no server is reported.
# usage: headless_test.sh ROTARYN_HOST DFBHD_SIM
set -euo pipefail
host="$1"
sim="$2"
source "$(dirname "$0")/../support/host_test_lib.sh"
host_test_root headless

"$host" --init-root "$root" || fail "--init-root"
[ -f "$root/Plugins/libtwkRotaryn.so" ] || fail "the plug-in was not installed"

cat > "$root/host.ini" <<INI
[Host]
Simulator = $sim
[Profile 1]
Server = simulated
GameFolder = games/one
ProfileFolder = one
Colour = red
INI
set +e
"$host" --headless --root "$root" > "$root/log" 2>&1
code=$?
set -e
[ "$code" -eq 2 ] || fail "a malformed host.ini exited with $code, not 2"
grep -q "host.ini:7: a profile has no key \"Colour\"" "$root/log" || fail "no file, line and reason"
grep -q "loaded" "$root/log" && fail "something started"
[ -d "$root/games/one" ] && fail "the malformed file's folders were made"

cat > "$root/host.ini" <<INI
[Host]
Simulator = $sim
[Profile 1]
Server = simulated --game-length 0 --tick-ms 50
GameFolder = games/one
ProfileFolder = one
[Profile 2]
Server = simulated --build affiliate --pack classic_mod.pff --tick-ms 50
GameFolder = games/two
ProfileFolder = two
INI
"$host" --headless --root "$root" --watch 200 > "$root/log" 2>&1 &
host_pid=$!
wait_for "profile 1 (one): loaded; its server runs as pid"
wait_for "profile 2 (two): loaded; its server runs as pid"
wait_for "profile 2 (two): affiliate build, resource pack classic_mod.pff"
# Affiliate servers have no score-limit fields: loading one shows no box.
grep -q "^\[" "$root/log" && fail "a message box appeared"
one="$(server_pid 1 one)"
two="$(server_pid 2 two)"

kill -KILL "$two"
wait_for "profile 2 (two): its server (pid $two) was stopped by a signal; monitoring is disabled"
kill -0 "$one" 2>/dev/null || fail "the other server went too"

# What SIGTERM does is host_service_test.sh's.
stop_host

# A process that is no server: its profile is reported as not loaded, with the reason, and the
# host stops no server it did not start.
sleep 60 &
stranger=$!
mkdir -p "$root/games/three"
cat > "$root/host.ini" <<INI
[Profile 3]
Server = pid $stranger
ServerType = DFBHD
GameFolder = games/three
ProfileFolder = three
INI
"$host" --headless --root "$root" --duration 3 > "$root/log" 2>&1 || fail "the host failed"
kill "$stranger" 2>/dev/null || true
grep -q "profile 3 (three): not loaded: its server (pid $stranger) cannot be read: .*not mapped" \
  "$root/log" || fail "the unreadable server was not reported"
grep -q "servers stopped" "$root/log" && fail "said it stopped servers it did not start"
echo "headless host: passed"
