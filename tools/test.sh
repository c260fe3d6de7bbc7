#!/usr/bin/env bash
# Installs what is missing, builds the sanitized test tree and runs every test.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/setup.sh"
"$root/tools/build.sh" test
export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d) && export XDG_RUNTIME_DIR
fi
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$root/build/test"
ctest --output-on-failure -j "${KADRIX_JOBS:-2}" "$@"
