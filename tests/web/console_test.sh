#!/usr/bin/env bash
# The web console in a real browser: a headless host on three dfbhd-sim servers (one the
# affiliate build), two administrators (one with every privilege and "View Audit", one with
# "Skip Maps" only), and console_test.py driving Debian's chromium through chromedriver.
# usage: console_test.sh ROTARYN_HOST DFBHD_SIM ROTARYN_MEMTOOL EXCHANGE_SAMPLES AXE_JS OUT_DIR
set -euo pipefail
host="$(realpath "$1")"
sim="$(realpath "$2")"
memtool="$(realpath "$3")"
samples="$(realpath "$4")"
axe="$5"
out="$6"
here="$(cd "$(dirname "$0")" && pwd)"
for tool in chromium chromedriver; do
  command -v "$tool" > /dev/null || { echo "SKIPPED: $tool is not installed (scripts/install-deps.sh)"; exit 77; }
done
# Debian's python3, where python3-selenium is installed (a python3 of pyenv may come first).
py=/usr/bin/python3
[ -x "$py" ] || py="$(command -v python3)"
"$py" -c 'import selenium' 2> /dev/null ||
  { echo "SKIPPED: python3-selenium is not installed (scripts/install-deps.sh)"; exit 77; }
[ -f "$axe" ] || { echo "FAILED: axe-core is missing at $axe (the build runs npm ci)" >&2; exit 1; }
source "$here/../support/host_test_lib.sh"
host_test_root web
mkdir -p "$out" "$root/games/one" "$root/games/two" "$root/games/three"
"$host" --init-root "$root" > /dev/null || fail "--init-root"
cat > "$root/host.ini" <<INI
[Host]
Simulator = $sim
[Profile 1]
$(server_lines --game-length 0 --tick-ms 20 --speed 8 --loading-seconds 0.5)
GameFolder = games/one
ProfileFolder = one
[Profile 2]
$(server_lines --build affiliate --game-length 0 --tick-ms 20)
GameFolder = games/two
ProfileFolder = two
[Profile 3]
$(server_lines --game-length 0 --tick-ms 20 --loading-seconds 0.5 --display-length 4)
GameFolder = games/three
ProfileFolder = three
INI
add_admin() {  # NAME PRIVILEGES -> the token in $root/NAME.token
  "$host" --root "$root" --add-admin "$1" --privileges "$2" > "$root/$1.out" || fail "--add-admin $1"
  tail -1 "$root/$1.out" > "$root/$1.token"
}
add_admin "Ann Lee" "Change Map List,Skip Maps,Add New Maps,Delete Maps,Add New Tasks,Delete Tasks,View Audit"
add_admin skipper "Skip Maps"
mkdir -p "$root/profiles/one/settings"
printf '0[-]0[-]DMK_01A.BMS\r\n' > "$root/profiles/one/settings/evening.mpl"
"$host" --headless --root "$root" --listen 127.0.0.1:0 > "$root/log" 2>&1 &
host_pid=$!
wait_for "remote API listening on http://127.0.0.1:"
for p in "1 (one)" "2 (two)" "3 (three)"; do wait_for "profile $p: loaded; its server runs as pid"; done
port="$(sed -n 's/.*listening on http:\/\/127.0.0.1:\([0-9]*\).*/\1/p' "$root/log")"
pid_of() { sed -n "s/.*profile $1 ([a-z]*): loaded; its server runs as pid \([0-9]*\).*/\1/p" "$root/log"; }
export CONSOLE_URL="http://127.0.0.1:$port" CONSOLE_ROOT="$root" CONSOLE_OUT="$out"
export CONSOLE_MEMTOOL="$memtool" CONSOLE_SAMPLES="$samples" CONSOLE_AXE="$axe"
export CONSOLE_PIDS="$(pid_of 1) $(pid_of 2) $(pid_of 3)"
"$py" "$here/console_test.py" || fail "the browser test failed"
