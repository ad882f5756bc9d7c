#!/usr/bin/env bash
# Sets up and runs the main job: installs what is missing, builds, creates a fresh prefix and
# prints its registry.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build
prefix=$(mktemp -d /tmp/tq-demo.XXXXXX)
echo "Demo prefix: $prefix"
build/tools/tqreg/tqreg --prefix "$prefix" export HKEY_LOCAL_MACHINE
