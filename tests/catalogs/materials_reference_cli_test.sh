#!/usr/bin/env bash
# The materials reference program as a user runs it: building a database from
# a table, showing a material, registering with the host and failing clearly.
set -uo pipefail

program="$1"
table="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# expect <exit code> <text the output must hold> <command...>
expect() {
  local code="$1" text="$2"
  shift 2
  local out
  out=$("$@" 2>&1)
  local got=$?
  [[ $got -eq $code ]] || fail "$* exited $got, not $code: $out"
  [[ -z "$text" || "$out" == *"$text"* ]] || fail "$* does not say '$text': $out"
}

expect 0 "58 materials in $work/m.db" "$program" build-database "$table" "$work/m.db"
expect 0 "C: 0.42 - 0.5" "$program" show steel/45 --database "$work/m.db"
expect 0 "HB max: 229" "$program" show steel/45 --database "$work/m.db"
expect 1 "no material at steel/none" "$program" show steel/none --database "$work/m.db"
expect 1 "no materials database" "$program" show steel/45 --database "$work/none.db"

printf 'steel/1 | Сталь 1 | 01 | | | | | | | | C 1\nsteel/2 | Сталь 2 | 01 | x | | | | | | | \n' >"$work/bad.txt"
expect 1 "bad.txt:2: HB \"x\" is no number" "$program" build-database "$work/bad.txt" "$work/bad.db"
[[ ! -e "$work/bad.db" ]] || fail "a table with a fault made a database"

expect 0 "registered" "$program" register --database "$work/m.db" --common-files "$work/common" \
  --registry "$work/registry"
grep -q 'LocalServer32' "$work/registry" || fail "no LocalServer32 in the registry"
grep -q 'Dedev.MaterialsReference.1' "$work/registry" || fail "no ProgID in the registry"
grep -q "CommonFilesDir\" = \"$work/common\"" "$work/registry" || fail "no common-files folder in the registry"
expect 0 "unregistered" "$program" unregister --registry "$work/registry"
grep -q 'LocalServer32' "$work/registry" && fail "LocalServer32 stays after unregister"

expect 2 "unknown command" "$program" frobnicate
expect 2 "needs a value" "$program" show --database
expect 2 "build-database needs a table and a database" "$program" build-database "$table"

# Started as the host starts it, the program answers on its standard input
# and output, and ends when the client closes them.
answer=$(printf 'CREATE\t{23FA902B-7F5C-43D0-AB22-AEEE5CF7ED9B}\nCALL\t1\tMaterialInfo\tSsteel/45\nCALL\t2\tDesignation\n' |
  timeout 120 "$program" --database "$work/m.db")
[[ "$answer" == $'READY\nOK\tO1\nOK\tO2\nOK\tSСталь 45 ГОСТ 1050-2013' ]] || fail "the served answers are: $answer"

if ((failures)); then
  echo "$failures failure(s)"
  exit 1
fi
echo "materials-reference: all passed"
