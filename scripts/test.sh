#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test through CTest.
# QUILLSTONE_PRESET=asan runs the sanitizer build instead.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${QUILLSTONE_PRESET:-default}"

bash scripts/install-dependencies.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
