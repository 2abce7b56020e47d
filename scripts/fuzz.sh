#!/usr/bin/env bash
# Builds every fuzz target with clang's libFuzzer (ASan + UBSan) and runs each for FUZZ_SECONDS
# (default 60), starting from its seed corpus. New inputs go to a working corpus under the build
# folder, never into the repository; crashes are left there as crash-* files. FUZZ_TARGETS="a b"
# runs only those targets. Undefined behaviour stops a target as a crash does.
set -euo pipefail
build=${1:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh" fuzz
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DROTARYN_FUZZ=ON -DROTARYN_BENCH=OFF >/dev/null
mapfile -t targets < <(grep -v '^$' "$build/fuzz_targets.txt")
if [[ -n "${FUZZ_TARGETS:-}" ]]; then read -r -a targets <<<"$FUZZ_TARGETS"; fi
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"
status=0
for t in "${targets[@]}"; do
  work="$build/fuzz-work/$t"
  mkdir -p "$work/corpus"
  echo "== $t (${seconds}s)"
  if ! (cd "$work" && "$(cd "$root" && realpath "$build")/fuzz/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 \
        corpus "$root/fuzz/corpus/$t" 2>&1 | grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec|ERROR|SUMMARY|Done' ); then
    :
  fi
  if ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* >/dev/null 2>&1; then
    echo "FOUND in $t: $(ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* 2>/dev/null | tr '\n' ' ')"
    status=1
  fi
done
exit $status
