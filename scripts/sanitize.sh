#!/usr/bin/env bash
# Builds everything in build-asan/ under AddressSanitizer and UndefinedBehaviorSanitizer (preset
# asan) and runs every test there; any report fails the run. Kept apart from ./test, which stays
# quick.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
nodrel_install_missing

# Configured every time, so that a directory left with other flags cannot pass unsanitized.
cmake --preset asan
cmake --build --preset asan -j"$(nproc)"
ctest --preset asan -j"$(nproc)"
