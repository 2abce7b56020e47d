#!/usr/bin/env bash
# The main job. The host program that runs the plug-in is not built yet, so this builds
# everything and says what there is to run.
set -euo pipefail
build="${1:-build}"
cat <<TXT
Rotaryn is built in ${build}/.

The host program (rotaryn-host) and its window are not built yet, so there is no demo session
to start. What there is to run:
TXT
for exe in sim/dfbhd-sim sim/rotaryn-memtool; do
  [ -x "${build}/${exe}" ] && echo "  ${build}/${exe} --help"
done
[ -f "${build}/src/libtwkRotaryn.so" ] && echo "  ${build}/src/libtwkRotaryn.so  (the plug-in library a host loads)"
echo "  make test            (every test, then again under AddressSanitizer and UBSan)"
