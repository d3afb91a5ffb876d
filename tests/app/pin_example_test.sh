#!/usr/bin/env bash
# The threaded-pin example end to end, as scripts/run-pin-example.sh runs it:
# the part from its STEP file with catalog tools, its plan, the NC program
# with the thread in G32 passes and, on a copy, in G76, each compared with
# its golden file (a difference is written beside it as <name>.out;
# ZARVENTO_UPDATE_GOLDEN=1 rewrites the golden file); the simulation's check,
# the statistics and the operation sketches.
# Arguments: the zarvento program, the examples folder, the example's STEP
# file, the folder of the golden files.
set -euo pipefail
zarvento=$1
examples=$2
step=$3
golden=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ZARVENTO_REGISTRY="$work/registry" XDG_CONFIG_HOME="$work/config"
fail() { echo "FAIL: $*"; exit 1; }
cd "$work"
mkdir example
cp "$step" example/threaded-pin.step
"$zarvento" run --no-tree --new example/threaded-pin.rdp "$examples/pin/make-pin.zsc" >make.log 2>&1 || fail "make-pin exits $?"
"$zarvento" run --no-tree example/threaded-pin.rdp "$examples/pin/pin-plan.zsc" >plan.log 2>plan.err ||
  fail "pin-plan exits $?: $(cat plan.err)"
cp example/threaded-pin.rdp example/threaded-pin-g76.rdp
"$zarvento" run --no-tree example/threaded-pin-g76.rdp "$examples/pin/thread-cycle.zsc" >cycle.log 2>cycle.err ||
  fail "thread-cycle exits $?: $(cat cycle.err)"
# Every operation holds a path and no message.
for log in plan.log cycle.log; do
  [ "$(sed -n '/^== plan$/,/^== plan tree$/p' "$log" | grep -c '^[0-5]: type [1-7] ')" -eq 6 ] ||
    fail "$log does not list the six operations"
  ! sed -n '/^== plan$/,/^== plan tree$/p' "$log" | grep -q "message:" || fail "an operation has a message in $log"
done

compare() {  # compare <program> <golden name>
  if [ "${ZARVENTO_UPDATE_GOLDEN:-}" = 1 ]; then
    cp "$1" "$golden/$2"
  elif ! cmp -s "$1" "$golden/$2"; then
    cp "$1" "$golden/$2.out"
    fail "$2 differs from its golden file: diff $golden/$2 $golden/$2.out"
  else
    rm -f "$golden/$2.out"
  fi
}
"$zarvento" program example/threaded-pin.rdp -o threaded-pin.nc >program.log 2>&1 || fail "program exits $?"
grep -q "G32 Z" threaded-pin.nc || fail "the thread's passes are not in the program"
compare threaded-pin.nc threaded-pin.nc
"$zarvento" program example/threaded-pin-g76.rdp -o threaded-pin-g76.nc >program2.log 2>&1 ||
  fail "program of the G76 plan exits $?"
grep -q "G76 X" threaded-pin-g76.nc || fail "the thread's cycle is not in the program"
! grep -q "G32" threaded-pin-g76.nc || fail "the thread's cycle left G32 passes"
compare threaded-pin-g76.nc threaded-pin-g76.nc

"$zarvento" simulate example/threaded-pin.rdp --check >check.log 2>&1 || fail "simulate --check exits $?"
grep -q "^check run: .*Обработка завершена" check.log || fail "the check run did not end: $(cat check.log)"
! grep "cut into the part" check.log || fail "the simulation cuts into the part"
# The failing direction: a finishing pass given the relief's grooving blade
# drags the blade's body through the part. The main job refuses its
# program; the simulation's check cuts with the same blade and exits 1.
cp example/threaded-pin.rdp example/wrong-tool.rdp
printf '%s\n' 'answer turn ok name="Не тот резец" tool=3 work=1-15 direction=along feed=0.1 spin=1000' 'create 2' \
  >wrong-tool.zsc
"$zarvento" run --no-tree example/wrong-tool.rdp wrong-tool.zsc >wrong-tool.log 2>&1 || fail "the wrong tool's plan exits $?"
rc=0
"$zarvento" program example/wrong-tool.rdp -o wrong-tool.nc >wrong-program.log 2>&1 || rc=$?
[ "$rc" -eq 1 ] || fail "program of a path through the part exits $rc"
rc=0
"$zarvento" simulate example/wrong-tool.rdp --check >wrong-check.log 2>&1 || rc=$?
[ "$rc" -eq 1 ] || fail "simulate --check of a path through the part exits $rc"
# Each cut names the operation and the block of the program that made it.
grep -q '^part unit [0-9]*: [0-9.]* mm cut into the part by operation 6 "Не тот резец", block N[0-9]* G0[123] ' \
  wrong-check.log || fail "the check names no cut with its operation and block: $(cat wrong-check.log)"
! grep -q "cut into the part$" wrong-check.log || fail "a cut is named without its operation: $(cat wrong-check.log)"
! grep -q "iteration" wrong-check.log || fail "the check's diagnostic lines are printed unasked"
"$zarvento" statistics example/threaded-pin.rdp >stats.log 2>&1 || fail "statistics exits $?"
printf 'synchronize\nsketch 0\ndrawing op1.svg\nsketch 2\ndrawing op3.svg\nsketch 4\ndrawing op5.svg\n' >sketches.zsc
"$zarvento" run --no-tree --no-save example/threaded-pin.rdp sketches.zsc >sketches.log 2>&1 || fail "the sketches exit $?"
for f in op1.svg op3.svg op5.svg; do grep -q "<svg" "$f" || fail "$f is not a drawing"; done
# A thread's name given in the script outlives the panel's automatic name
# (the panel shortens its run-out to the relief, as the plan's thread has it).
printf '%s\n' 'answer turn ok name="Резьба под гайку" tool=5 work=3 pitch=1.5 starts=1 depth=auto spin=600' \
  'create 5' 'panel turn' '  tab "Стратегия"' '  set "Перебег" 1.5' '  ok' 'end' 'edit 6' >named.zsc
"$zarvento" run --no-tree --no-save example/threaded-pin.rdp named.zsc >named.log 2>&1 || fail "the named thread exits $?"
grep -q '^6: type 5 "Резьба под гайку"' named.log || fail "the thread's name is replaced: $(grep '^6:' named.log)"
echo "threaded pin: ok"
