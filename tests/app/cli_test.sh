#!/usr/bin/env bash
# The command-line program: its help, the bundled example made and planned by
# its scripts, and the exit codes for a missing or damaged document and a
# script line that cannot be read.
set -u
zarvento="$1"
examples="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$zarvento" --help > "$work/help" || fail "--help exits $?"
grep -q "run \[--new\] \[--no-save\] <document> <script>" "$work/help" || fail "--help does not describe run"
grep -q "answer <panel> ok|cancel" "$work/help" || fail "--help does not describe the script"

"$zarvento" run --new "$work/shaft.rdp" "$examples/shaft/make-shaft.zsc" > "$work/make" || fail "make-shaft exits $?"
[ -f "$work/shaft.rdp" ] || fail "the example document was not saved"
"$zarvento" run "$work/shaft.rdp" "$examples/shaft/turning.zsc" > "$work/turning" || fail "turning exits $?"
grep -q '^0: type 1 "Черновая обработка"' "$work/turning" || fail "the plan is not listed"
grep -q '^1: type 2 "Чистовая обработка" excluded' "$work/turning" || fail "the exclusion is not listed"
grep -q '^record "Zarvento.Turn.1"$' "$work/turning" || fail "the document dump lacks the operations"
grep -q '0 modal brackets open' "$work/turning" || fail "a modal bracket was left open"
# Saved: a second run without a script's changes reads the same plan.
printf '# nothing\n' > "$work/empty.zsc"
"$zarvento" run --no-save "$work/shaft.rdp" "$work/empty.zsc" > "$work/again" || fail "reopen exits $?"

"$zarvento" run "$work/missing.rdp" "$work/empty.zsc" 2> "$work/err"
[ $? -eq 3 ] || fail "a missing document does not exit 3"
grep -q "the file does not exist" "$work/err" || fail "no message for a missing document"
printf 'not a document' > "$work/damaged.rdp"
"$zarvento" run "$work/damaged.rdp" "$work/empty.zsc" 2> "$work/err"
[ $? -eq 3 ] || fail "a damaged document does not exit 3"
printf 'frobnicate\n' > "$work/bad.zsc"
"$zarvento" run --no-save "$work/shaft.rdp" "$work/bad.zsc" 2> "$work/err"
[ $? -eq 2 ] || fail "a bad script line does not exit 2"
grep -q "line 1: unknown statement 'frobnicate'" "$work/err" || fail "the bad line is not named"
# A panel on the host is driven step by step: the whole-panel answer is a
# line that cannot be read, and a step naming no control fails the command.
printf 'answer lsc ok lsc="ЛСК-1"\n' > "$work/whole.zsc"
"$zarvento" run --no-save "$work/shaft.rdp" "$work/whole.zsc" 2> "$work/err"
[ $? -eq 2 ] || fail "a whole answer to the coordinate-system panel does not exit 2"
grep -q "line 1: lsc runs on the host and is driven step by step: panel lsc ... end" "$work/err" \
  || fail "the whole answer is not explained"
printf 'panel lsc\n  set "Нет такого" 1\n  ok\nend\ncoordinate-system\n' > "$work/missing-control.zsc"
"$zarvento" run --no-save "$work/shaft.rdp" "$work/missing-control.zsc" > "$work/out"
[ $? -eq 1 ] || fail "a step naming no control does not exit 1"
grep -q 'panel lsc, line 2: no control "Нет такого"' "$work/out" || fail "the missing control is not named"
grep -q "panel lsc: cancel (default)" "$work/out" || fail "the panel is not cancelled"
"$zarvento" run "$work/shaft.rdp" 2> /dev/null
[ $? -eq 2 ] || fail "a missing argument does not exit 2"
# The main job on the bundled NC example, with the installed description and
# then with the Python one.
mkdir -p "$work/ex/example"
(
  cd "$work/ex" || exit 1
  "$zarvento" tool-model "$examples/tools/roughing_tool.txt" example/roughing_tool.rdp || exit 1
  "$zarvento" tool-model "$examples/tools/finishing_tool.txt" example/finishing_tool.rdp || exit 1
  "$zarvento" run --new example/part.rdp "$examples/shaft/make-stepped-shaft.zsc" > /dev/null || exit 1
  "$zarvento" run example/part.rdp "$examples/shaft/nc-plan.zsc" > /dev/null || exit 1
) || fail "the NC example cannot be made"
"$zarvento" program "$work/ex/example/part.rdp" -o "$work/part.nc" > "$work/out" 2> "$work/err" \
  || fail "program exits $?: $(cat "$work/err")"
grep -q "NC program: $work/part.nc" "$work/out" || fail "program does not say where the program is"
# The part's section by the numbers the work field takes (the chamfer at the
# face is unit 2 of the example's working contour 2-11).
printf 'synchronize\n' > "$work/section.zsc"
"$zarvento" run --no-save "$work/ex/example/part.rdp" "$work/section.zsc" > "$work/section" \
  || fail "listing the section exits $?"
grep -q '^2: LineSeg( 0,-14, -1,-15, 1 );$' "$work/section" || fail "the section's units are not listed by number"
grep -q "^N[0-9]* M30" "$work/part.nc" || fail "the NC program has no M30"
grep -q "post-processor: ISO_Lathe" "$work/err" || fail "the post-processor is not named"
printf 'panel lsc\n  set "Система ЧПУ (постпроцессор)" ISO_Python\n  ok\nend\ncoordinate-system\n' > "$work/python.zsc"
cp "$work/ex/example/part.rdp" "$work/ex/example/python.rdp"
"$zarvento" run "$work/ex/example/python.rdp" "$work/python.zsc" > /dev/null || fail "choosing ISO_Python exits $?"
"$zarvento" program "$work/ex/example/python.rdp" -o "$work/python.nc" > /dev/null 2> "$work/err" \
  || fail "program with ISO_Python exits $?: $(cat "$work/err")"
grep -q "script: ISO_Python: [0-9]* blocks, coding 0, units mm" "$work/err" || fail "the script's console is not reported"
head -1 "$work/python.nc" | grep -q "^%" || fail "the script's program does not start with %"
# The NC program panel: the program in inches, saved with the
# post-processor's extension.
printf 'panel program\n  set "Единицы измерения" дюймы\n  answer save-file ok file=%s\n  press "Сохранить в файл"\n  ok\nend\nprogram\n' \
  "$work/inches" > "$work/inches.zsc"
"$zarvento" run --no-save "$work/ex/example/part.rdp" "$work/inches.zsc" > "$work/out" || fail "the program panel exits $?"
grep -q "panel save-file \[\*.nc|\*.nc| \*.nc\]: ok" "$work/out" || fail "the save dialog is not shown"
grep -q "^N7 G00 X1.89 Z0.138" "$work/inches.nc" || fail "the saved program is not in inches"
grep -q "^N[0-9]\{4\} M30" "$work/python.nc" || fail "the script did not renumber the program"
# The tour plan has an operation without a working contour and no
# post-processor: its messages are reported and the job fails.
"$zarvento" program "$work/shaft.rdp" -o "$work/tour.nc" > /dev/null 2> "$work/err"
[ $? -eq 1 ] || fail "a failed operation does not exit 1"
grep -q "Не задан рабочий контур" "$work/err" || fail "the operation's message is not reported"
[ ! -e "$work/tour.nc" ] || fail "a program was written without a post-processor"
"$zarvento" program "$work/missing.rdp" 2> /dev/null
[ $? -eq 3 ] || fail "program: a missing document does not exit 3"
"$zarvento" program 2> /dev/null
[ $? -eq 2 ] || fail "program: a missing argument does not exit 2"
echo "ok"
