#!/usr/bin/env bash
# The command-line program (its help and usage: cli_usage_test.sh): the
# bundled example made from its STEP file and planned by its scripts, the exit
# codes for a missing or damaged document, a STEP file that cannot be read (the
# example's own with one entity misspelt among them) and a script line that
# cannot be read, and hostile use: names that would end their comment, outputs
# that are inputs, protected and newer documents, commands that do nothing, and
# two runs on one document.
set -u
zarvento="$1"
examples="$2"
profile_to_step="$3"
materials_reference="$4"
pelmora="$5"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The host's registry and the user's settings of these runs are their own.
export ZARVENTO_REGISTRY="$work/registry" XDG_CONFIG_HOME="$work/config"
fail() { echo "FAIL: $*"; exit 1; }

"$zarvento" run --new "$work/shaft.rdp" "$examples/shaft/make-shaft.zsc" > "$work/make" || fail "make-shaft exits $?"
[ -f "$work/shaft.rdp" ] || fail "the example document was not saved"
"$zarvento" run "$work/shaft.rdp" "$examples/shaft/turning.zsc" > "$work/turning" || fail "turning exits $?"
grep -q '^0: type 1 "Черновая обработка"' "$work/turning" || fail "the plan is not listed"
grep -q '^1: type 2 "Чистовая обработка" excluded' "$work/turning" || fail "the exclusion is not listed"
grep -q '^record "Zarvento.Turn.1"$' "$work/turning" || fail "the document dump lacks the operations"
grep -q '0 modal brackets open' "$work/turning" || fail "a modal bracket was left open"
# Without Pelmora registered there is no plan tree: the user is told once.
[ "$(grep -c '^message: Не обнаружен компонент Tindral.ocx$' "$work/turning")" -eq 1 ] ||
  fail "a missing tree control is not reported once"
# The settings dialog by its menu command: a refused OK keeps it open for the
# next answer, its edits as the user left them; an accepted one saves the
# settings file.
printf 'answer settings ok spindle=0.05 tool-change=0.05\nanswer settings ok spindle=0.3 tool-change=0.3 rapid=6\nmenu 22\n' > "$work/settings.zsc"
"$zarvento" run --no-save "$work/shaft.rdp" "$work/settings.zsc" > "$work/settings" || fail "settings exits $?"
grep -q "^output: Длительность вкл./выкл. шпинделя должна быть >= 0.1 сек" "$work/settings" \
  || fail "the refused duration is not reported"
[ "$(grep -c '^panel settings' "$work/settings")" -eq 2 ] || fail "the settings dialog did not stay open"
[ "$(stat -c %s "$work/config/zarvento/Kestrane.cfg")" -eq 2092 ] || fail "the settings file was not saved"
# Saved: a second run without a script's changes reads the same plan.
printf '# nothing\n' > "$work/empty.zsc"
"$zarvento" run --no-save "$work/shaft.rdp" "$work/empty.zsc" > "$work/again" || fail "reopen exits $?"

# The drawing verb's refusals are words that name the file, no bare codes.
"$zarvento" drawing "$work/shaft.rdp" "$work/shaft.svg" 2> "$work/err"
[ $? -eq 3 ] || fail "a part given as a drawing does not exit 3"
grep -q "shaft.rdp is not a drawing" "$work/err" || fail "the part given as a drawing is not named: $(cat "$work/err")"
! grep -q "0x" "$work/err" || fail "the drawing verb prints a code: $(cat "$work/err")"

"$zarvento" run "$work/missing.rdp" "$work/empty.zsc" 2> "$work/err"
[ $? -eq 3 ] || fail "a missing document does not exit 3"
grep -q "the file does not exist" "$work/err" || fail "no message for a missing document"
printf 'not a document' > "$work/damaged.rdp"
"$zarvento" run "$work/damaged.rdp" "$work/empty.zsc" 2> "$work/err"
[ $? -eq 3 ] || fail "a damaged document does not exit 3"
# A STEP file that cannot be read names the file and leaves the document as it was.
printf 'ISO-10303-21;\nHEADER;\n' > "$work/broken.step"
printf 'step %s\n' "$work/broken.step" > "$work/broken.zsc"
cp "$work/shaft.rdp" "$work/before.rdp"
"$zarvento" run "$work/shaft.rdp" "$work/broken.zsc" 2> "$work/err"
[ $? -eq 5 ] || fail "a damaged STEP file does not exit 5"
grep -q "line 1: cannot import \"$work/broken.step\": the STEP file is damaged" "$work/err" \
  || fail "the damaged STEP file is not named: $(cat "$work/err")"
cmp -s "$work/shaft.rdp" "$work/before.rdp" || fail "a refused STEP file changed the document"
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
"$profile_to_step" "$examples/shaft/stepped-shaft.profile" "$work/ex/example/stepped-shaft.step" \
  || fail "profile-to-step exits $?"
head -1 "$work/ex/example/stepped-shaft.step" | grep -q "^ISO-10303-21;" || fail "no STEP file was written"
# The example's STEP file with the type of the point its first placement
# stands on misspelt: refused naming the placement, and no document.
(
  cd "$work/ex" || exit 1
  cp example/stepped-shaft.step good.step
  point=$(grep -m1 -o "AXIS2_PLACEMENT_3D('',#[0-9]*" good.step | grep -o "#[0-9]*$")
  sed "s/^$point = CARTESIAN_POINT/$point = CARTESIAN_POINX/" good.step > example/stepped-shaft.step
  "$zarvento" run --new misspelt.rdp "$examples/shaft/make-stepped-shaft.zsc" > /dev/null 2> err
  status=$?
  cp good.step example/stepped-shaft.step
  [ $status -eq 5 ] || { echo "exit $status: $(cat err)"; exit 1; }
  grep -q "the STEP file is damaged: entity #[0-9]* (AXIS2_PLACEMENT_3D) cannot be read" err || { cat err; exit 1; }
  [ ! -e misspelt.rdp ] || exit 1
) || fail "a STEP file with a misspelt entity is not refused as damaged with exit code 5"
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
# face is unit 2 of the example's working contour 2-11), in Z and diameters;
# an arc with its radius, centre and sense (the fillet of radius 1.5 turns
# clockwise from the diameter 40 up to the collar).
printf 'synchronize\n' > "$work/section.zsc"
"$zarvento" run --no-save "$work/ex/example/part.rdp" "$work/section.zsc" > "$work/section" \
  || fail "listing the section exits $?"
grep -q '^2: line Z0 D28 to Z-1 D30$' "$work/section" || fail "the section's units are not listed by number in diameters"
grep -q '^0: line Z-85 D0 to Z0 D0$' "$work/section" || fail "the unit on the axis is not listed at diameter 0"
grep -q '^9: arc Z-68.5 D40 to Z-70 D43, R1.5 about Z-68.5 D43, cw$' "$work/section" ||
  fail "the fillet is not listed in diameters: $(grep '^9:' "$work/section")"
grep -q "^N[0-9]* M30" "$work/part.nc" || fail "the NC program has no M30"
# The view saved for a person in its three forms; another form is a script error.
printf 'synchronize\nview %s\nview %s\nview %s\n' "$work/view.glb" "$work/view.png" "$work/view.svg" > "$work/view.zsc"
"$zarvento" run --no-save "$work/ex/example/part.rdp" "$work/view.zsc" > /dev/null || fail "saving the view exits $?"
[ "$(head -c 4 "$work/view.glb")" = "glTF" ] || fail "the view is no binary glTF file"
[ "$(head -c 4 "$work/view.png" | tail -c 3)" = "PNG" ] || fail "the view's picture is no PNG"
grep -q '<g id="operation-2">' "$work/view.svg" || fail "the drawing lacks the second operation"
printf 'view %s\n' "$work/view.bmp" > "$work/view.zsc"
"$zarvento" run --no-save "$work/ex/example/part.rdp" "$work/view.zsc" > /dev/null 2>&1
[ $? -eq 2 ] || fail "a view in an unknown form does not exit 2"
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
grep -q "^N7 G00 X1.8898 Z0.1378" "$work/inches.nc" || fail "the saved program is not in inches"
grep -q "^N[0-9]\{4\} M30" "$work/python.nc" || fail "the script did not renumber the program"
# The simulation of the NC example: every frame pre-calculated, the run to its
# end, the stock as machined and where it departs from the part; the check run
# with its diagnostic lines. The document is not saved.
sim="$work/ex/example/part.rdp"
before=$(md5sum < "$sim")
(cd "$work/ex" && "$zarvento" simulate "$sim" --stock --svg "$work/sim.svg") > "$work/out" 2> "$work/err" \
  || fail "simulate exits $?: $(cat "$work/err")"
grep -q "^pre-calculated: [0-9]* frames$" "$work/out" || fail "simulate does not report the pre-calculation"
grep -q "^run: [0-9]* points, Обработка завершена$" "$work/out" || fail "simulate does not report the run's end"
grep -q "^stock: 18 units$" "$work/out" || fail "simulate does not report the stock"
grep -q "^part unit 6: 0.166 mm left" "$work/out" || fail "simulate does not report the material the nose leaves"
grep -q "^part unit 4: 0.290 mm left" "$work/out" || fail "simulate does not report the corner the insert's edge leaves"
! grep -q "cut into the part" "$work/out" || fail "the example's program cuts into the part"
grep -q "^LineSeg( -41,-20, -68.5,-20, 1 );$" "$work/out" || fail "the stock's units are not printed"
[ "$(md5sum < "$sim")" = "$before" ] || fail "simulate changed the document"
for layer in stock machined part feed rapid tool departures; do
  # (what lies beyond the part and the stock is marked at the page's edge)
  grep -q "<path id=\"$layer\"\|data-path=\"$layer\"" "$work/sim.svg" || fail "the simulation's picture has no $layer"
done
# The statistics of the NC example and its cost estimate; the document is not saved.
(cd "$work/ex" && "$zarvento" statistics "$sim" --elementary) > "$work/out" 2> "$work/err" \
  || fail "statistics exits $?: $(cat "$work/err")"
grep -q "^№ | Обработка | Поз. | S, об(м)/мин" "$work/out" || fail "statistics prints no list"
grep -q "^ | СУММА |" "$work/out" || fail "statistics prints no totals"
grep -q "^Статистика не учитывает отключенные обработки и обработки с ошибками$" "$work/out" \
  || fail "statistics --elementary does not count in elementary moves"
grep -q "^\[  Калькуляция  \]$" "$work/out" || fail "statistics prints no cost estimate"
grep -q "^Csum | " "$work/out" || fail "the cost estimate has no total"
[ "$(md5sum < "$sim")" = "$before" ] || fail "statistics changed the document"
"$zarvento" --help | grep -q "statistics <document> \[--elementary\] \[--sp\]" || fail "--help does not describe statistics"
"$zarvento" simulate "$sim" --svg "$work/no-such-folder/sim.svg" > /dev/null 2> "$work/err"
[ $? -eq 1 ] || fail "simulate with a picture it cannot write does not exit 1"
grep -q "cannot write $work/no-such-folder/sim.svg" "$work/err" || fail "the picture that cannot be written is not named"
(cd "$work/ex" && "$zarvento" simulate "$sim" --check --row 3) > "$work/out" 2> /dev/null \
  || fail "simulate --check exits $?"
grep -q "^Niterations [0-9]*$" "$work/out" || fail "the check run writes no diagnostic lines"
grep -q "^check run: [0-9]* points" "$work/out" || fail "the check run is not reported"
! grep -q "^pre-calculated" "$work/out" || fail "the check run pre-calculated"
"$zarvento" simulate "$sim" --speed fast > /dev/null 2> "$work/err"
[ $? -eq 1 ] || fail "simulate with a speed that is no number does not exit 1"
grep -q 'Недопустимое значение поля speed: "fast"' "$work/err" || fail "the refused speed is not named"
"$zarvento" simulate 2> /dev/null
[ $? -eq 2 ] || fail "simulate: a missing argument does not exit 2"
"$zarvento" simulate "$work/missing.rdp" 2> /dev/null
[ $? -eq 3 ] || fail "simulate: a missing document does not exit 3"
# An operation without a working contour: the run that creates it fails, and
# so does the main job, which reports the operation's message and writes no
# program.
cp "$work/shaft.rdp" "$work/broken.rdp"
printf 'answer turn ok name="Без контура"\ncreate 2\n' > "$work/broken.zsc"
"$zarvento" run "$work/broken.rdp" "$work/broken.zsc" > "$work/out" 2>&1
[ $? -eq 1 ] || fail "an operation created with an error does not exit 1"
grep -q "commands, 1 failed (line 2)" "$work/out" || fail "the failed line is not named"
"$zarvento" program "$work/broken.rdp" -o "$work/tour.nc" > /dev/null 2> "$work/err"
[ $? -eq 1 ] || fail "a failed operation does not exit 1"
grep -q "Не задан рабочий контур" "$work/err" || fail "the operation's message is not reported"
[ ! -e "$work/tour.nc" ] || fail "a program was written without a post-processor"
"$zarvento" program "$work/missing.rdp" 2> /dev/null
[ $? -eq 3 ] || fail "program: a missing document does not exit 3"

# Hostile use. Names reach the program inside comments and never close them.
cp "$work/ex/example/part.rdp" "$work/inj2) M30 (.rdp"
printf 'answer turn ok name="Finish) G00 X0 Z-50 (" tool=2 work=2-11 feed=TOOL.FEED1 spin=TOOL.SPIN\ncreate 2\n' \
  > "$work/inj.zsc"
(cd "$work/ex" && "$zarvento" run "$work/inj2) M30 (.rdp" "$work/inj.zsc" > /dev/null) || fail "the named operation exits $?"
"$zarvento" program "$work/inj2) M30 (.rdp" -o "$work/inj.nc" > /dev/null 2>&1 || fail "program of the names exits $?"
grep -q "(FINISH] G00 X0 Z-50 \[)" "$work/inj.nc" || fail "the operation's name is not kept inside its comment"
grep -q "(inj2] M30 \[)" "$work/inj.nc" || fail "the document's name is not kept inside its comment"
! grep -q ") G00 X0 Z-50\|) M30" "$work/inj.nc" || fail "a name closed its comment"

# The output is never an input: NC text over the part document, a tool
# model's document over its text.
cp "$work/ex/example/part.rdp" "$work/same.rdp"
"$zarvento" program "$work/same.rdp" -o "$work/same.rdp" > /dev/null 2> "$work/err"
[ $? -eq 1 ] || fail "program over its own document does not exit 1"
grep -q "is a Zarvento document and is left as it is" "$work/err" || fail "no reason for refusing the document"
"$zarvento" run --no-save "$work/same.rdp" "$work/empty.zsc" > /dev/null || fail "the document was replaced"
cp "$examples/tools/roughing_tool.txt" "$work/rt.txt"
"$zarvento" tool-model "$work/rt.txt" "$work/rt.txt" 2> "$work/err"
[ $? -eq 1 ] || fail "tool-model over its own text does not exit 1"
grep -q "would replace its own text" "$work/err" || fail "no reason for refusing the text"
cmp -s "$work/rt.txt" "$examples/tools/roughing_tool.txt" || fail "the tool model's text was replaced"
"$zarvento" program "$work/ex/example/part.rdp" -o "$work/nowhere/part.nc" > /dev/null 2> "$work/err"
[ $? -eq 1 ] || fail "a program into a missing folder does not exit 1"
grep -q "cannot write the NC program: cannot write \"$work/nowhere/part.nc\": No such file or directory" "$work/err" ||
  fail "no reason for the failed save: $(cat "$work/err")"

# A new document never takes an existing file's place unasked; a protected
# document is not replaced and keeps its mode.
"$zarvento" run --new "$work/same.rdp" "$work/empty.zsc" > /dev/null 2> "$work/err"
[ $? -eq 3 ] || fail "--new over an existing document does not exit 3"
grep -q "exists; --new --replace" "$work/err" || fail "--new over a document does not say how to replace it"
"$zarvento" run --no-save "$work/same.rdp" "$work/empty.zsc" > /dev/null || fail "--new replaced the document"
"$zarvento" run --new --replace "$work/same.rdp" "$work/empty.zsc" > /dev/null || fail "--new --replace exits $?"
chmod 444 "$work/same.rdp"
"$zarvento" run "$work/same.rdp" "$work/empty.zsc" > /dev/null 2> "$work/err"
[ $? -eq 3 ] || fail "saving a write-protected document does not exit 3"
grep -q "write-protected" "$work/err" || fail "no reason for refusing the protected document"
[ "$(stat -c %a "$work/same.rdp")" = 444 ] || fail "the protected document changed its mode"
chmod 644 "$work/same.rdp"

# A document of a newer version is named so by both commands.
cp "$work/shaft.rdp" "$work/newer.rdp"
python3 -c "import sqlite3,sys; c=sqlite3.connect(sys.argv[1]); c.execute(\"UPDATE document SET value=99 WHERE key='version'\"); c.commit()" \
  "$work/newer.rdp" || fail "cannot make a newer document"
for command in "run --no-save" program; do
  "$zarvento" $command "$work/newer.rdp" $([ "$command" = program ] || echo "$work/empty.zsc") > /dev/null 2> "$work/err"
  [ $? -eq 3 ] || fail "$command: a newer document does not exit 3"
  grep -q "was written by a newer version (format 99" "$work/err" || fail "$command: the newer version is not named"
  ! grep -q "0x8003" "$work/err" || fail "$command: the message shows a raw code"
done

# Exit codes that tell the truth: a refused panel field, an index out of
# range, a post-processor that is not installed.
for line in "answer spid ok x0=nan\nplan-data" "edit 5" "down 2147483647" \
  "panel lsc\n set \"Система ЧПУ (постпроцессор)\" NoSuchPost\n ok\nend\ncoordinate-system"; do
  printf "$line\n" > "$work/bad.zsc"
  "$zarvento" run --no-save "$work/shaft.rdp" "$work/bad.zsc" > "$work/out" 2>&1
  [ $? -eq 1 ] || fail "'$line' does not exit 1"
  grep -q "commands, 1 failed (line" "$work/out" || fail "'$line' is not counted as failed"
  ! grep -q "постпроцессор )" "$work/out" || fail "a stray bracket in the missing post-processor's message"
done

# Two runs on one document: the second is refused while the first works, and
# what each run reports is what the file holds.
for i in 1 2 3 4 5 6; do
  printf 'answer turn ok name=A%s work=1-4\ncreate 2\n' "$i" > "$work/a.zsc"
  printf 'answer turn ok name=B%s work=1-4\ncreate 2\n' "$i" > "$work/b.zsc"
  "$zarvento" run "$work/shaft.rdp" "$work/a.zsc" > /dev/null 2> "$work/a.err" &
  a=$!
  "$zarvento" run "$work/shaft.rdp" "$work/b.zsc" > /dev/null 2> "$work/b.err" &
  b=$!
  wait $a
  ea=$?
  wait $b
  eb=$?
  "$zarvento" run --no-save "$work/shaft.rdp" "$work/empty.zsc" > "$work/plan" 2>&1
  for run in A B; do
    e=$([ $run = A ] && echo $ea || echo $eb)
    if grep -q "\"$run$i\"" "$work/plan"; then held=0; else held=1; fi
    [ "$e" -eq 0 ] && [ $held -ne 0 ] && fail "pair $i: run $run reported success but its change is lost"
    [ "$e" -ne 0 ] && [ $held -eq 0 ] && fail "pair $i: run $run reported failure but its change is there"
    [ "$e" -eq 0 ] || [ "$e" -eq 3 ] || fail "pair $i: run $run exits $e"
  done
done

"$zarvento" program 2> /dev/null
[ $? -eq 2 ] || fail "program: a missing argument does not exit 2"

# The part's material read from the materials reference registered in the
# host's registry: the plan keeps its group and MC code.
printf 'part material="Сталь 12Х18Н10Т ГОСТ 5632-2014" location=stainless/12Х18Н10Т\nplan-data\n' > "$work/material.zsc"
"$zarvento" run --no-save "$work/shaft.rdp" "$work/material.zsc" > "$work/material" 2>&1
grep -q "Не удалось установить соединение со справочником материалов" "$work/material" ||
  fail "an unregistered materials reference is not reported"
"$materials_reference" register > /dev/null || fail "the materials reference does not register"
"$zarvento" run --no-save "$work/shaft.rdp" "$work/material.zsc" > "$work/material" 2>&1 ||
  fail "reading the material exits $?"
grep -q "Считывание свойств материала: Сталь 12Х18Н10Т ГОСТ 5632-2014" "$work/material" || fail "no reading is shown"
! grep -q "Не удалось установить соединение" "$work/material" || fail "the registered reference is not reached"
grep -q '"DP.sMCcode" BSTR "M1.3.Z.AQ"' "$work/material" || fail "the plan lacks the material's MC code"
grep -q '"DP.sGroup" BSTR "04.01"' "$work/material" || fail "the plan lacks the material's group"
# A damaged registry costs its servers only, with a word on why.
printf 'not a registry\n' > "$ZARVENTO_REGISTRY"
"$zarvento" run --no-save "$work/shaft.rdp" "$work/material.zsc" > "$work/material" 2> "$work/material.err" ||
  fail "a damaged registry fails the run"
grep -q "registry.*damaged" "$work/material.err" || fail "a damaged registry is not named"
grep -q "Не удалось установить соединение со справочником материалов" "$work/material" ||
  fail "a damaged registry does not leave the reference unreached"
# The bundled catalog beside the program: its tree, one model's size table
# and body, and the contour of a catalog tool from its projected body.
"$zarvento" catalog > "$work/catalog" || fail "catalog exits $?"
grep -q "^КАТАЛОГ ИНСТРУМЕНТОВ/$" "$work/catalog" || fail "the catalog has no tools"
grep -q "^      Сверло спиральное$" "$work/catalog" || fail "the drill is not listed in its folder"
grep -q "^  Патрон трехкулачковый 250$" "$work/catalog" || fail "the chuck is not listed"
"$zarvento" catalog show "TOOLS/Осевые/Сверла/Сверло спиральное" > "$work/drill" || fail "catalog show exits $?"
grep -q "Сверло 10 ГОСТ 10902-77	10	133" "$work/drill" || fail "the drill's size table is not shown"
grep -q "^body: 1 solid" "$work/drill" || fail "the drill's body is not shown"
"$zarvento" catalog show "TOOLS/Нет такого" 2> "$work/err"
[ $? -eq 1 ] || fail "a missing catalog model does not exit 1"
"$zarvento" catalog show "Нет/такого" 2> /dev/null
[ $? -eq 2 ] || fail "a model outside the kinds does not exit 2"
tools="$(dirname "$zarvento")/TOOLS"
"$zarvento" tool-contour "$tools/Токарные/Проходные/Резец проходной SSBCR.rdp" M3 90 > "$work/contour" ||
  fail "tool-contour of a catalog tool exits $?"
grep -qi "arc" "$work/contour" || fail "the catalog tool's contour has no nose arc"
# A tool from the catalog in the set-up panel: the script drives the catalog
# dialog (row 13 of its tree is the turning tool, a folder cannot be chosen);
# the plan tree, on Pelmora's control registered now, shows it.
rm -f "$ZARVENTO_REGISTRY"
"$pelmora" register > /dev/null || fail "pelmora register exits $?"
printf 'answer spid ok catalog=2\ndialog catalog\n  select 100 12\n  ok\n  select 100 13\n  select 200 1\n  ok\nend\nplan-data\n' \
  > "$work/catalog.zsc"
"$zarvento" run --no-save "$work/shaft.rdp" "$work/catalog.zsc" > "$work/out" || fail "the catalog script exits $?"
grep -q "dialog catalog, line 4: the control 1 is disabled" "$work/out" || fail "a folder could be chosen"
grep -q "^      2.Резец проходной SSBCR  \[image 5 10082, role 1\]$" "$work/out" ||
  fail "the catalog tool is not in position 2"
# The host's events: the window the first menu command subscribed answers
# busy and clear; closing the document takes the plan tree with the plan.
printf 'menu 23\nevent frame-busy\nevent frame-clear\nevent close-document\n' > "$work/events.zsc"
"$zarvento" run --no-save "$work/shaft.rdp" "$work/events.zsc" > "$work/out" || fail "the events script exits $?"
grep -q "^event frame-busy: true (1 sink of its kind)$" "$work/out" || fail "the window is not busy"
grep -q "^event frame-clear: true (1 sink of its kind)$" "$work/out" || fail "the window is not clear"
grep -A1 "^== plan tree$" "$work/out" | grep -q "^== document$" || fail "closing the document left the plan tree"
printf 'answer catalog ok\n' > "$work/whole.zsc"
"$zarvento" run --no-save "$work/shaft.rdp" "$work/whole.zsc" > /dev/null 2> "$work/err"
grep -q "catalog runs on the host and is driven step by step: dialog catalog ... end" "$work/err" \
  || fail "the catalog can be answered whole"
echo "ok"
