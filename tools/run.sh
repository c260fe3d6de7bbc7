#!/usr/bin/env bash
# Installs what is missing, builds the release tree and starts the main program.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/setup.sh"
"$root/tools/build.sh" release
exec "$root/build/release/bin/kadrix-workstation" "$@"
