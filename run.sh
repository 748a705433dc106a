#!/usr/bin/env bash
# Installs what is missing, builds a release build in build/ and opens Tilvane.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target tilvane
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  echo "Run it on a desktop, or in a virtual one:  xvfb-run -a build/tilvane  (xvfb-run is in the xvfb package)" >&2
  exit 1
fi
exec build/tilvane
