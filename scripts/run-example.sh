#!/usr/bin/env bash
# The quick start: builds the program and everything it finds beside it,
# registers Pelmora (the plan tree's control) in the host's registry, and
# runs the main job on the bundled example: the part document is made from a
# STEP file (which the build writes from the example's profile), its plan by
# a script, then the plan's NC program is written. It prints what it made and
# the NC program; the build's progress only when the build fails.
set -euo pipefail
cd "$(dirname "$0")/.."
top="$PWD"
bash scripts/setup.sh

build=build/release
log="$build/run-example.log"
mkdir -p "$build"
echo "Building the program, its modules and data in $build/ (a first build takes some minutes) ..."
if ! { cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2" &&
       cmake --build "$build" -j "$(nproc)" --target zarvento_programs; } > "$log" 2>&1; then
  tail -n 40 "$log" >&2
  echo "run-example: the build failed; its whole output is in $log" >&2
  exit 1
fi
app="$top/$build/app"
zarvento="$app/zarvento"
examples="$top/examples"

# The plan tree is Pelmora's control, found through the host's registry
# ($ZARVENTO_REGISTRY, else ~/.config/zarvento/registry).
"$top/$build/treecontrol/pelmora" register > "$build/pelmora-register.log"

# Everything the example makes lies in build/release/example; the part
# document refers to the tool models beside it.
cd "$build"
rm -rf example
mkdir -p example
cp examples/stepped-shaft.step example/
run() {
  # A step's output is shown only when it fails.
  local out="example/$1.log"; shift
  if ! "$@" > "$out" 2>&1; then
    cat "$out" >&2
    echo "run-example: '$*' failed" >&2
    exit 1
  fi
}
run roughing_tool "$zarvento" tool-model "$examples/tools/roughing_tool.txt" example/roughing_tool.rdp
run finishing_tool "$zarvento" tool-model "$examples/tools/finishing_tool.txt" example/finishing_tool.rdp
run make "$zarvento" run --new example/stepped-shaft.rdp "$examples/shaft/make-stepped-shaft.zsc"
run plan "$zarvento" run example/stepped-shaft.rdp "$examples/shaft/nc-plan.zsc"
run program "$zarvento" program example/stepped-shaft.rdp -o example/stepped-shaft.nc

here="$PWD/example"
cat <<EOF
Made in $build/:
  app/zarvento                   the program (zarvento help lists its commands), with its modules,
                                 post-processors, export, catalog and the coordinate system's sign
  treecontrol/Pelmora.so         the plan tree's control, registered in $(sed -n 's/^registered .* in //p' pelmora-register.log)

The example, in $here/:
  stepped-shaft.step             the part as a CAD system hands it over (examples/shaft/stepped-shaft.profile turned)
  roughing_tool.rdp, finishing_tool.rdp
                                 the tools' model documents (examples/tools/*.txt)
  stepped-shaft.rdp              the part document: its NC coordinate system, stock and tools
                                 (examples/shaft/make-stepped-shaft.zsc), and its plan (examples/shaft/nc-plan.zsc):
EOF
sed -n '/^== plan tree/,/^== /{/^== /d;s/  \[image [^]]*\]$//;s/^/    /;p}' example/plan.log
cat <<EOF
  stepped-shaft.nc               the NC program of the plan through its post-processor ISO_Lathe:

EOF
cat example/stepped-shaft.nc | tr -d '\r'
