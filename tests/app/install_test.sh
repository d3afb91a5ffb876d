#!/usr/bin/env bash
# The program runs from wherever its folder lies: installed by
# `cmake --install` into a prefix of its own, and as a copy of the build's
# program folder. Each makes the bundled example's part from its STEP file,
# plans it with the plan tree shown, writes its NC program and its export,
# and lists the catalog; nothing may end by a signal. A copy without the
# modelling module still runs the main job of a document made before.
# Usage: install_test.sh <build folder>   (after the whole build)
set -u
build="$(cd "$1" && pwd)"
top="$(cd "$(dirname "$0")/../.." && pwd)"
examples="$top/examples"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$work/prefix" > "$work/install.log" 2>&1 \
  || fail "cmake --install exits $?: $(tail -5 "$work/install.log")"
cp -a "$build/app" "$work/copy"

check() {
  local name="$1" zarvento="$2" pelmora="$3"
  local dir="$work/$name"
  mkdir -p "$dir/example"
  export ZARVENTO_REGISTRY="$dir/registry" XDG_CONFIG_HOME="$dir/config"
  "$pelmora" register > /dev/null || fail "$name: pelmora register exits $?"
  cp "$build/examples/stepped-shaft.step" "$dir/example/" || fail "the example's STEP file is not built"
  (
    cd "$dir" || exit 1
    for tool in roughing_tool finishing_tool; do
      "$zarvento" tool-model "$examples/tools/$tool.txt" "example/$tool.rdp" > /dev/null || fail "$name: tool-model exits $?"
    done
    "$zarvento" run --new example/part.rdp "$examples/shaft/make-stepped-shaft.zsc" > make.out 2>&1 \
      || fail "$name: run --new exits $?: $(tail -3 make.out)"
    "$zarvento" run example/part.rdp "$examples/shaft/nc-plan.zsc" > plan.out 2>&1 \
      || fail "$name: run exits $?: $(tail -3 plan.out)"
    grep -q "Tindral" make.out plan.out && fail "$name: the plan tree's control is not found"
    grep -q "^== plan tree" plan.out || fail "$name: no plan tree"
    "$zarvento" program example/part.rdp -o part.nc > program.out 2>&1 || fail "$name: program exits $?"
    grep -q "^N[0-9]* M30" part.nc || fail "$name: the NC program has no M30"
    "$zarvento" catalog TOOLS > catalog.out 2>&1 || fail "$name: catalog exits $?"
    grep -q "Резец проходной SSBCR" catalog.out || fail "$name: the catalog's models are missing"
    "$zarvento" export example/part.rdp part.xml > export.out 2>&1 || fail "$name: export exits $?: $(cat export.out)"
    "$zarvento" setup-sheet example/part.rdp -o sheet.svg > sheet.out 2>&1 || fail "$name: setup-sheet exits $?"
  ) || exit 1
}
check installed "$work/prefix/bin/zarvento" "$work/prefix/bin/pelmora"
"$work/prefix/bin/materials-reference" show steel/45 > "$work/material.out" 2>&1 \
  || fail "the installed materials reference exits $?: $(cat "$work/material.out")"
check copied "$work/copy/zarvento" "$build/treecontrol/pelmora"

# Without the modelling module (loaded when a part's body is first needed):
# the main job of a document made before writes the same program, and making
# a part says that the module cannot be loaded; nothing ends by a signal.
cp -a "$build/app" "$work/bare"
rm "$work/bare/librdzPartModel.so" || fail "the modelling module is not beside the program"
(
  cd "$work/copied" || exit 1
  "$work/bare/zarvento" program example/part.rdp -o bare.nc > bare.out 2>&1 \
    || fail "without the modelling module: program exits $?: $(tail -3 bare.out)"
  cmp -s part.nc bare.nc || fail "without the modelling module: the NC program differs"
  "$work/bare/zarvento" run --new other.rdp "$examples/shaft/make-stepped-shaft.zsc" > bare-make.out 2>&1
  rc=$?
  [ "$rc" -ne 0 ] && [ "$rc" -lt 128 ] || fail "without the modelling module: making a part exits $rc"
  grep -q "the modelling module cannot be loaded: .*librdzPartModel.so" bare-make.out \
    || fail "without the modelling module: no clear error: $(tail -3 bare-make.out)"
) || exit 1
echo "ok"
