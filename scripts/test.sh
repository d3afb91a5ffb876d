#!/usr/bin/env bash
# CI's test command (.ci/run): builds the project twice and runs every test in
# both builds, then the checks that need a whole build:
#   build/release  optimised, assertions on, benchmarks built
#   build/asan     AddressSanitizer + UndefinedBehaviorSanitizer
#   the program installed by `cmake --install` and a copy of its folder, each
#   run on the bundled example
#   the tests that run scripts again, with a python3 first on PATH that takes
#   two seconds to start (tests/slow-python): no test may lean on a quick one
# then builds the fuzz targets with Clang (build/fuzz) and runs each for 30
# seconds from its seeds.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
cat <<EOF
scripts/test.sh: format and layer checks; the release and sanitizer builds, each with all its tests
(ctest); the installed and the copied program on the example; the tests of scripts with a slow python3;
the fuzz targets, 30 s each, $jobs at a time. On $jobs cores, from a clean tree, about $((150 / jobs + 2)) minutes
(about 75 on 2 cores; under 10 on 8 once ccache holds the objects).
EOF
bash scripts/setup.sh

configure() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}

configure build/release -DZARVENTO_WERROR=ON -DZARVENTO_STRICT_INVARIANTS=ON -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2" -DZARVENTO_BENCH=ON
configure build/asan -DZARVENTO_WERROR=ON -DZARVENTO_STRICT_INVARIANTS=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DZARVENTO_SANITIZE=ON \
  -DZARVENTO_BENCH=OFF

status=0
echo "== format"
bash scripts/check-format.sh || status=1
echo "== layers"
python3 scripts/check-layers.py || status=1
echo "== long functions (informative)"
python3 scripts/long-functions.py --over 100 || true
for dir in build/release build/asan; do
  echo "== $dir: build"
  cmake --build "$dir" -j "$jobs"
  echo "== $dir: test"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" || status=1
  if [ "$dir" = build/release ]; then
    echo "== $dir: installed and copied program"
    bash tests/app/install_test.sh "$dir" || status=1
    echo "== $dir: the tests of scripts with a python3 that takes 2 s to start"
    PATH="$PWD/tests/slow-python:$PATH" ctest --test-dir "$dir" --output-on-failure -j "$jobs" \
      -R 'ProcessRunnerTest|ProgramScriptTest|PlanProgramLinksTest|PlanExportTest|ProgramRoadsTest' || status=1
  fi
done
echo "== fuzz"
bash scripts/fuzz.sh 30 || status=1
exit $status
