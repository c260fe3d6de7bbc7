#!/usr/bin/env bash
# Configures (once) and builds one build tree incrementally: build.sh release|test
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
kind=${1:-release}
dir="$root/build/$kind"
case "$kind" in
  release) opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKADRIX_SANITIZE=OFF) ;;
  test)    opts=(-DCMAKE_BUILD_TYPE=Debug -DKADRIX_SANITIZE=ON) ;;
  *) echo "unknown build kind: $kind" >&2; exit 2 ;;
esac
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$root" -B "$dir" -G Ninja "${opts[@]}"
fi
cmake --build "$dir" -j "${KADRIX_JOBS:-2}"
