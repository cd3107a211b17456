#!/bin/sh
# Builds and runs every test in both configurations: the normal build (g++)
# and the sanitizer build (clang, address and undefined behaviour, with the
# fuzz targets fuzzing briefly), then the monitor's concurrency tests under
# the thread sanitizer. Installs what is missing first.
set -e
cd "$(dirname "$0")/.."
./scripts/deps.sh
JOBS=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKADU_BENCH=ON >/dev/null
cmake --build build -j "$JOBS"
ctest --test-dir build -j "$JOBS" --output-on-failure --timeout 600

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKADU_SANITIZE=ON -DKADU_BENCH=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-asan -j "$JOBS"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan -j "$JOBS" --output-on-failure --timeout 900

# The monitor's concurrency tests under the thread sanitizer.
JOBS="$JOBS" ./scripts/tsan.sh
