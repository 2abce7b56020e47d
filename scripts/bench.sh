#!/usr/bin/env bash
# Runs every benchmark of the build once: the built ones, then the scripted ones of bench/
# (the host's CPU use, with metrics and history on over off, the crash loop), which start real
# processes.
# day_of_load_bench, about two minutes, runs 24 hours of 50 profiles in virtual time; a built
# benchmark whose checks fail stops the run.
set -euo pipefail
# Absolute: Wine takes only an absolute prefix, and the scripts change folder.
build="$(cd "${1:-build}" && pwd)"
for b in "${build}"/bench/*_bench; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
for s in "$(dirname "$0")"/../bench/*_bench.sh; do
  echo "== $(basename "$s" .sh)"
  bash "$s" "${build}"
done
# The two that reach a server once more, with dfbhd-sim.exe under Wine in the build's prefix.
echo "== under Wine"
if bash "$(dirname "$0")/../tests/wine/wine_prefix.sh" setup "$build/wine-prefix"; then
  "$build/bench/process_memory_bench" --wine "$build/wine-prefix"
  "$build/bench/update_maps_bench" --wine "$build/wine-prefix"
fi
bash "$(dirname "$0")/../tests/wine/wine_prefix.sh" cleanup "$build/wine-prefix"
