#!/usr/bin/env bash
# Makes sure the build's system packages are present: installs what is missing
# when run as root, otherwise names it and fails.
# Usage: scripts/setup.sh [extra Debian packages...]
set -euo pipefail

need=(g++ cmake ninja-build zlib1g-dev libdeflate-dev libisal-dev libgoogle-perftools-dev libgtest-dev "$@")
missing=()
for pkg in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null; then
  echo "Installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
else
  echo "Missing Debian packages: ${missing[*]}" >&2
  echo "Install them with: sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
