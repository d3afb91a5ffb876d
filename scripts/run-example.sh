#!/usr/bin/env bash
# Builds the command-line program and runs the main job on the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2" >/dev/null
cmake --build build/release -j "$(nproc)" --target zarvento
echo "The example part, made by its script:"
build/release/app/zarvento run --new build/release/shaft.rdp examples/shaft/make-shaft.zsc
echo
echo "Its turning plan, made by the second script:"
build/release/app/zarvento run build/release/shaft.rdp examples/shaft/turning.zsc
echo
echo "The NC program of the bundled example is not built yet: the operations and the"
echo "post-processors are still to come. What the program offers today:"
build/release/app/zarvento help
echo
echo "The 2D contour of the bundled example tool (examples/tools/turning_tool.txt), M3, mounted at 90 degrees:"
build/release/app/zarvento tool-contour examples/tools/turning_tool.txt M3 90
