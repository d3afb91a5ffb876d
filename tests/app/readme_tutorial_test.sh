#!/usr/bin/env bash
# The README's "Your first part" runs as written: every command block marked
# "<!-- tutorial -->" is taken from the README in order and run in one shell,
# from a folder laid out as the repository is (its examples/, and the built
# program in build/release/), so that the walk a newcomer follows never goes
# stale. A command that fails fails the test.
set -u
readme="$1"
source_dir="$2"
build_dir="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The host's registry and the user's settings of these runs are their own.
export ZARVENTO_REGISTRY="$work/registry" XDG_CONFIG_HOME="$work/config"
fail() { echo "FAIL: $*"; exit 1; }

# The blocks: the fenced block that follows each marker line.
awk '
  /^<!-- tutorial -->$/ { marked = 1; next }
  marked && /^```/ { if (inside) { inside = 0; marked = 0; blocks++ } else inside = 1; next }
  inside { print }
  marked && !inside && NF { marked = 0 }
  END { print "# blocks: " blocks + 0 }
' "$readme" > "$work/tutorial.sh"
blocks=$(sed -n 's/^# blocks: //p' "$work/tutorial.sh")
# A marker lost in an edit would drop its step unnoticed: the walk has at
# least its ten steps.
[ "$blocks" -ge 10 ] || fail "the README has $blocks tutorial blocks"

# The repository as the commands see it, the outputs in the folder alone.
mkdir -p "$work/repo/build/release"
ln -s "$source_dir/examples" "$work/repo/examples"
ln -s "$build_dir/app" "$work/repo/build/release/app"
ln -s "$build_dir/treecontrol" "$work/repo/build/release/treecontrol"
ln -s "$build_dir/examples" "$work/repo/build/release/examples"

cd "$work/repo" || fail "no work folder"
if ! bash -e -o pipefail -x "$work/tutorial.sh" > "$work/out" 2>&1; then
  tail -n 60 "$work/out"
  fail "a command of the tutorial failed"
fi
# The walk ends with what it promises: the program, the simulation's drawing,
# the setup sheet and a sketch.
for made in stepped-shaft.nc simulation.svg sheet.svg roughing-sketch.svg; do
  [ -s "build/release/example/$made" ] || fail "the tutorial made no $made"
done
# The program holds what the walk plans: the groove's dwell, the thread's
# passes and the cut-off through the axis.
nc=build/release/example/stepped-shaft.nc
for word in "G04 P500" "G32 Z" "M06 T0505"; do
  grep -q "$word" "$nc" || fail "the tutorial's program lacks $word"
done
grep -q "cut into the part" "$work/out" && fail "the tutorial's simulation cuts into the part"
echo "ok: $blocks tutorial blocks"
