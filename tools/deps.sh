#!/usr/bin/env bash
# Installs the Debian packages that are missing; nothing when all are present.
# Usage: tools/deps.sh run|test|bench
set -euo pipefail

build=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libjpeg62-turbo-dev
       fonts-arphic-uming fonts-wqy-microhei qt6-translations-l10n)
test=(xvfb xauth xdotool imagemagick x11-utils clang libclang-rt-14-dev)
bench=(libgif-dev libjpeg-turbo-progs)

want=("${build[@]}")
case "${1:-run}" in
  test) want+=("${test[@]}") ;;
  bench) want+=("${test[@]}" "${bench[@]}") ;;
esac

missing=()
for pkg in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "Missing packages (${missing[*]}) and no root or sudo to install them." >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
