#!/usr/bin/env bash
# Every scripted benchmark (bench/*_bench.sh) runs to its end in its short mode and prints its
# RATIO line, with mawk as awk (Debian's default), so that `make bench` cannot break on a script
# that only another awk understands.
# usage: bench_scripts_test.sh BUILD_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"
bench="$(cd "$(dirname "$0")/../../bench" && pwd)"
mawk="$(command -v mawk)" || { echo "FAILED: mawk is not installed (scripts/install-deps.sh)" >&2; exit 1; }
tools="$(mktemp -d "${TMPDIR:-/tmp}/rotaryn-bench-scripts.XXXXXX")"
trap 'rm -rf "$tools"' EXIT
ln -s "$mawk" "$tools/awk"
export PATH="$tools:$PATH" ROTARYN_BENCH_SHORT=1

failed=0
for script in "$bench"/*_bench.sh; do
  name="$(basename "$script" .sh)"
  start=$SECONDS
  if ! out="$(timeout 120 bash "$script" "$build" 2>&1)"; then
    echo "FAILED: $name did not run to its end:" >&2
    sed 's/^/  | /' <<<"$out" | tail -30 >&2
    failed=1
    continue
  fi
  if ! grep -Eq '^RATIO [a-z_]+ [0-9]+(\.[0-9]+)? target [0-9]+(\.[0-9]+)?$' <<<"$out"; then
    echo "FAILED: $name printed no RATIO line:" >&2
    sed 's/^/  | /' <<<"$out" | tail -30 >&2
    failed=1
    continue
  fi
  echo "$name: $(grep '^RATIO' <<<"$out") ($((SECONDS - start)) s)"
done
bash -n "$bench/../scripts/bench.sh" || failed=1
exit "$failed"
