#!/usr/bin/env bash
# Builds everything in build-asan/ under AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test there; any report fails the run. Kept apart from ./test, which stays quick.
#   scripts/sanitize.sh [build directory]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
nodrel_install_missing

dir=${1:-build-asan}
# gcc leaves float-cast-overflow out of "undefined". ASan cannot see an index past the end of a
# short string kept inside the string object; the library's own checks can.
flags="-fsanitize=address,undefined,float-cast-overflow -fno-omit-frame-pointer"
flags+=" -fno-sanitize-recover=all -D_GLIBCXX_ASSERTIONS"
# Configured every time, so that a directory left with other flags cannot pass unsanitized.
# Benchmarks are not run here and their timings would mean nothing under the sanitizers.
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNODREL_BUILD_TESTS=ON \
    -DNODREL_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build "$dir" -j"$(nproc)"

# A report ends the test at once with a failing status, leaks included.
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
