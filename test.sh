#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh test
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTILVANE_WERROR=ON -DTILVANE_TESTS=ON >/dev/null
cmake --build build -j2
status=0
(cd build && ctest --output-on-failure -j2) || status=$?
if [ -x tools/fuzz.sh ]; then
  tools/fuzz.sh || status=$?
fi
exit $status
