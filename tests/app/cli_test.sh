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
"$zarvento" run "$work/shaft.rdp" 2> /dev/null
[ $? -eq 2 ] || fail "a missing argument does not exit 2"
echo "ok"
