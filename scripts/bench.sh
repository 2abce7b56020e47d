#!/usr/bin/env bash
# Runs every benchmark of the build once: the built ones, then the scripted ones of bench/
# (the host's CPU use, the crash loop), which start real processes.
# day_of_load_bench, about two minutes, runs 24 hours of 50 profiles in virtual time; a built
# benchmark whose checks fail stops the run.
set -euo pipefail
build="${1:-build}"
for b in "${build}"/bench/*_bench; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
for s in "$(dirname "$0")"/../bench/*_bench.sh; do
  echo "== $(basename "$s" .sh)"
  bash "$s" "${build}"
done
