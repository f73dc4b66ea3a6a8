#!/usr/bin/env bash
# Configures and builds one build directory.
# Usage: scripts/build.sh <build dir> [cmake options...]
# With TARGET set, builds only the targets it names (separated by blanks).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
shift
gen=()
if command -v ninja >/dev/null && [ ! -f "$root/$dir/CMakeCache.txt" ]; then gen=(-G Ninja); fi
cmake -S "$root" -B "$root/$dir" "${gen[@]}" "$@" >/dev/null
# shellcheck disable=SC2086
cmake --build "$root/$dir" --parallel "$(nproc)" ${TARGET:+--target $TARGET}
