#!/usr/bin/env bash
# Builds the command-line program and runs the main job on the bundled
# example: the part document is made from a STEP file (which the build writes
# from the example's profile), its plan by a script, then the plan's NC
# program is written.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2" >/dev/null
cmake --build build/release -j "$(nproc)" --target zarvento example_step
zarvento="$PWD/build/release/app/zarvento"
examples="$PWD/examples"

# Everything the example makes lies in build/release/example; the part
# document refers to the tool models beside it.
cd build/release
rm -rf example
mkdir -p example
cp examples/stepped-shaft.step example/
"$zarvento" tool-model "$examples/tools/roughing_tool.txt" example/roughing_tool.rdp
"$zarvento" tool-model "$examples/tools/finishing_tool.txt" example/finishing_tool.rdp
echo "The example part, read from its STEP file by its script (examples/shaft/make-stepped-shaft.zsc):"
"$zarvento" run --new example/stepped-shaft.rdp "$examples/shaft/make-stepped-shaft.zsc" | sed -n '/== plan tree/,/== document/p'
echo
echo "Its NC plan, made by the second script (examples/shaft/nc-plan.zsc):"
"$zarvento" run example/stepped-shaft.rdp "$examples/shaft/nc-plan.zsc" | sed -n '/== plan$/,/== plan tree/p'
echo
echo "The main job: the NC program of the plan through its post-processor (ISO_Lathe):"
"$zarvento" program example/stepped-shaft.rdp -o example/stepped-shaft.nc
echo
cat example/stepped-shaft.nc
echo
echo "The NC program is in $PWD/example/stepped-shaft.nc"
