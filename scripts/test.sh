#!/usr/bin/env bash
# Builds the project twice and runs every test in both builds:
#   build/release  optimised, assertions on, benchmarks built
#   build/asan     AddressSanitizer + UndefinedBehaviorSanitizer
# then builds the fuzz targets with Clang (build/fuzz) and runs each for a few
# seconds from its seeds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
configure() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}

configure build/release -DZARVENTO_WERROR=ON -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2" -DZARVENTO_BENCH=ON
configure build/asan -DZARVENTO_WERROR=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DZARVENTO_SANITIZE=ON \
  -DZARVENTO_BENCH=OFF

status=0
echo "== format"
bash scripts/check-format.sh || status=1
echo "== layers"
python3 scripts/check-layers.py || status=1
for dir in build/release build/asan; do
  echo "== $dir: build"
  cmake --build "$dir" -j "$jobs"
  echo "== $dir: test"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" || status=1
done
echo "== fuzz"
bash scripts/fuzz.sh 30 || status=1
exit $status
