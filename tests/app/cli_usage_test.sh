#!/usr/bin/env bash
# The command-line program's help and usage: every verb tells what it does,
# an unknown verb is one line, and every verb reads its arguments one way.
set -u
zarvento="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The host's registry and the user's settings of these runs are their own.
export ZARVENTO_REGISTRY="$work/registry" XDG_CONFIG_HOME="$work/config"
fail() { echo "FAIL: $*"; exit 1; }

"$zarvento" --help > "$work/help" || fail "--help exits $?"
grep -q "run \[--new \[--replace\]\] \[--no-save\] \[--no-tree\] <document> <script>" "$work/help" || fail "--help does not describe run"
grep -q "answer <panel> ok|cancel" "$work/help" || fail "--help does not describe the script"
# Every verb tells what it does, by --help and by help <verb>, and only that.
for verb in run program simulate tool-model tool-contour catalog statistics setup-sheet export drawing register \
            unregister version help; do
  for ask in "$verb --help" "help $verb"; do
    # shellcheck disable=SC2086
    "$zarvento" $ask > "$work/verb-help" 2> "$work/err" || fail "zarvento $ask exits $?: $(cat "$work/err")"
    head -1 "$work/verb-help" | grep -q "^usage: zarvento $verb\b" || fail "zarvento $ask: $(head -1 "$work/verb-help")"
    grep "^usage: zarvento " "$work/verb-help" | grep -qv "^usage: zarvento $verb\b" &&
      fail "zarvento $ask prints other commands too"
  done
done
grep -q "answer <panel> ok|cancel" <("$zarvento" run --new x.rdp --help) || fail "run --help lacks the script"
"$zarvento" program -h | grep -q "main job" || fail "program -h does not describe the main job"
# An unknown verb is one line with the way to the help.
"$zarvento" frobnicate > "$work/out" 2> "$work/err"
[ $? -eq 2 ] || fail "an unknown command does not exit 2"
[ "$(wc -l < "$work/err")" -eq 1 ] && [ ! -s "$work/out" ] || fail "an unknown command prints more than a line"
grep -q "unknown command 'frobnicate'; zarvento help lists the commands" "$work/err" || fail "no hint for an unknown command"
"$zarvento" help frobnicate 2> /dev/null
[ $? -eq 2 ] || fail "help for an unknown command does not exit 2"

# Every verb reads its arguments the one way: an unknown option is named, a
# missing value or a wrong count gives the verb's usage line; one line, exit 2.
# A negative number is an argument, not an option.
while IFS='|' read -r args status said; do
  # shellcheck disable=SC2086
  (cd "$work" && "$zarvento" $args > /dev/null 2> "$work/err")
  got=$?
  [ $got -eq "$status" ] || fail "zarvento $args exits $got, not $status: $(cat "$work/err")"
  [ -z "$said" ] || { [ "$(wc -l < "$work/err")" -eq 1 ] && grep -q -- "$said" "$work/err"; } ||
    fail "zarvento $args says: $(cat "$work/err")"
done << 'ROWS'
run --new --frobnicate a.rdp b.zsc|2|^zarvento: unknown option '--frobnicate'$
run --replace a.rdp b.zsc|2|^usage: zarvento run
run a.rdp|2|^usage: zarvento run
program|2|^usage: zarvento program
program a.rdp b.rdp|2|^usage: zarvento program
program a.rdp -o|2|^usage: zarvento program
program -x a.rdp|2|^zarvento: unknown option '-x'$
simulate a.rdp --row|2|^usage: zarvento simulate
simulate --fast a.rdp|2|^zarvento: unknown option '--fast'$
statistics a.rdp --all|2|^zarvento: unknown option '--all'$
statistics|2|^usage: zarvento statistics
setup-sheet a.rdp b.svg|2|^usage: zarvento setup-sheet
export a.rdp|2|^usage: zarvento export
export -x a.rdp b.xml|2|^zarvento: unknown option '-x'$
tool-model a.txt|2|^usage: zarvento tool-model
tool-contour|2|^usage: zarvento tool-contour
tool-contour a.txt M3 90 1|2|^usage: zarvento tool-contour
tool-contour missing.txt M3 -30|1|
catalog list TOOLS x y|2|^usage: zarvento catalog
catalog --all|2|^zarvento: unknown option '--all'$
drawing a.rdd|2|^zarvento: drawing needs
version now|2|^usage: zarvento version
register now|2|^usage: zarvento register
unregister now|2|^usage: zarvento unregister
help run program|2|^usage: zarvento help
help --all|2|^zarvento: unknown option '--all'$
ROWS
echo "cli usage: ok"
