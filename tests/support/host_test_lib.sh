# Sourced by the shell tests that run rotaryn-host on a root of their own (after
# `set -euo pipefail`): `host_test_root NAME` makes $root, removed at exit together with the
# host of $host_pid if one still runs; `fail` prints the host's log ($root/log) and stops;
# `wait_for PATTERN` waits up to 30 s for a line of that log. Servers as server_lines.sh says.
source "$(dirname "${BASH_SOURCE[0]}")/server_lines.sh"
host_test_root() {
  root="$(mktemp -d "/tmp/rotaryn-$1-XXXXXX")"
  host_pid=""
  trap 'host_test_cleanup' EXIT
}
host_test_cleanup() {
  [ -n "${host_pid:-}" ] && kill -KILL "$host_pid" 2>/dev/null || true
  rm -rf "$root"
}
fail() {
  echo "FAILED: $*" >&2
  [ -f "$root/log" ] && sed 's/^/  | /' "$root/log" >&2
  exit 1
}
wait_for() {
  for _ in $(seq 300); do
    grep -q -- "$1" "$root/log" 2>/dev/null && return 0
    sleep 0.1
  done
  fail "no line matching '$1'"
}
# `one_profile_root`: lays out $root with `$host --init-root` and a host.ini of one profile
# ("one", games/one) on a dfbhd-sim ($sim) whose games run until ended.
one_profile_root() {
  "$host" --init-root "$root" >/dev/null || fail "--init-root"
  mkdir -p "$root/games/one"
  cat > "$root/host.ini" <<INI
[Host]
Simulator = $sim
[Profile 1]
$(server_lines --game-length 0 --tick-ms 50)
GameFolder = games/one
ProfileFolder = one
INI
}
