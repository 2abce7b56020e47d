#!/bin/sh
# The size of the tests against the code: lines of C++ and shell in tests/ and in src,
# components, host, sim, admin, scripts and formats, and their ratio. Exits 1 when the tests
# are more than 0.35 of the code.
# usage: test_ratio.sh [CHECKOUT]   (default: the checkout this script is in)
set -eu
cd "${1:-$(dirname "$0")/..}"
lines() {
  find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.sh' \) -exec cat {} + | wc -l
}
tests=$(lines tests)
code=$(lines src components host sim admin scripts formats)
awk -v tests="$tests" -v code="$code" -v limit=0.35 'BEGIN {
  ratio = tests / code
  printf "tests %d lines, code %d lines, ratio %.3f (at most %.2f)\n", tests, code, ratio, limit
  if (ratio > limit) exit 1
}'
