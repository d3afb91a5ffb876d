#!/usr/bin/env bash
# The program is the host, not the library: it holds none of the library's
# code and needs the host module only; it loads the library module at run
# time, refuses a missing or foreign one with a clear message (exit code 4),
# and an older host is told once, at load, and its commands are ignored.
set -u
zarvento="$1"
module="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
fail() { echo "FAIL: $*"; exit 1; }

program_symbols="$(nm -C --defined-only "$zarvento")" || fail "nm cannot read the program"
module_symbols="$(nm -C --defined-only -D "$module")" || fail "nm cannot read the library module"
for symbol in 'zarvento::RunLibraryCommand(' 'zarvento::CPLAN::' 'zarvento::CTurn::' 'zarvento::CCadreISO::' \
              'zarvento::Contour::' 'zarvento::CPostProcessor::' 'zarvento::app::RunScript('; do
  grep -qF "$symbol" <<< "$program_symbols" && fail "the program holds the library's $symbol"
  grep -qF "$symbol" <<< "$module_symbols" || fail "the library module does not hold $symbol"
done
grep -q ' T LIBRARYENTRY$' <<< "$module_symbols" || fail "the library module does not export LIBRARYENTRY"
needed="$(readelf -d "$zarvento" | grep NEEDED)"
grep -q 'librdzAPI5.so' <<< "$needed" || fail "the program does not link the host module"
grep -q 'libzarvento' <<< "$needed" && fail "the program links the library module instead of loading it"

ZARVENTO_MODULE="$work/missing.so" "$zarvento" help > /dev/null 2> "$work/err"
[ $? -eq 4 ] || fail "a missing module does not exit 4"
grep -q "the library $work/missing.so does not exist" "$work/err" || fail "no message for a missing module"
host_module="$(dirname "$zarvento")/librdzAPI5.so"
ZARVENTO_MODULE="$host_module" "$zarvento" help > /dev/null 2> "$work/err"
[ $? -eq 4 ] || fail "a foreign module does not exit 4"
grep -q "is not a library of this host: it does not export LIBRARYID" "$work/err" || fail "no message for a foreign module"
printf 'not a library' > "$work/text.so"
ZARVENTO_MODULE="$work/text.so" "$zarvento" help > /dev/null 2> "$work/err"
[ $? -eq 4 ] || fail "a file that is no library does not exit 4"
grep -q "cannot load the library" "$work/err" || fail "no message for a file that is no library"

printf 'menu 1\nmenu 30\n' > "$work/menu.zsc"
ZARVENTO_HOST_VERSION=15.0.1 "$zarvento" run --new "$work/old.rdp" "$work/menu.zsc" > "$work/out" 2> "$work/err" \
  || fail "run on an older host exits $?"
[ "$(grep -c 'Приложение должно работать в версии VOVUVE-3D не ниже V16.1' "$work/err")" -eq 1 ] \
  || fail "an older host is not told exactly once"
grep -q '^panel' "$work/out" && fail "an older host's menu command opened a panel"
# Host 15.0.2 runs the commands: menu 1 (a new operation) is refused for the
# part's missing coordinate system, which fails the run.
ZARVENTO_HOST_VERSION=15.0.2 "$zarvento" run --new "$work/new.rdp" "$work/menu.zsc" > "$work/out" 2> "$work/err"
rc=$?
[ $rc -eq 1 ] || fail "run on host 15.0.2 exits $rc"
cat "$work/out" "$work/err" | grep -q 'Задайте систему координат ЧПУ' || fail "menu 1 did not reach the library"
grep -q 'Приложение должно' "$work/err" && fail "host 15 with 2 as its third number is refused"
grep -q '^panel lsc: cancel (default)' "$work/out" || fail "menu 30 did not reach the coordinate-system panel"
# A copy of the program with its libraries runs on the host module beside
# it, and only on that one: a second host loaded from the build would be torn
# down under the first at the end (SIGSEGV, "stack smashing detected").
mkdir "$work/copy"
cp "$zarvento" "$(dirname "$zarvento")"/*.so "$work/copy/"
printf 'menu 30\n' > "$work/lsc.zsc"
"$work/copy/zarvento" run --no-tree --new "$work/copy.rdp" "$work/lsc.zsc" > "$work/out" 2> "$work/err" \
  || fail "the copied program exits $?: $(tail -3 "$work/err")"
grep -q '^panel lsc: cancel (default)' "$work/out" || fail "the copied program did not run the script"
# Without the files the build puts beside the program, the copy names what it misses.
"$work/copy/zarvento" catalog > "$work/out" 2> "$work/err"
[ $? -eq 1 ] || fail "a catalog that is not there does not exit 1"
grep -q "the catalog has no folder $work/copy/TOOLS" "$work/err" || fail "the missing catalog is not named: $(cat "$work/err")"
for file in zarvento libzarvento.so; do
  readelf -d "$work/copy/$file" | grep -q 'R.*PATH.*\[\$ORIGIN' || fail "$file finds its libraries by the build's folder"
done
ZARVENTO_HOST_VERSION=sixteen "$zarvento" help > /dev/null 2>&1
[ $? -eq 2 ] || fail "an unreadable host version does not exit 2"
echo "ok"
