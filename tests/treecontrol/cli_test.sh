#!/usr/bin/env bash
# The pelmora program: show, edit and save a tree file; register the module.
set -euo pipefail
pelmora=$1
fixtures=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

out=$("$pelmora" show "$fixtures/plan.tree")
grep -q '^1\.1\.2 .*    ЛСК-1$' <<<"$out" || fail "show: $out"

out=$("$pelmora" edit "$fixtures/plan.tree" add 1 "Отрезка" rename 1.3 "Черновая обработка 2" delete 1.4 \
      sort 1 -o "$work/edited.tree")
grep -q '^event AfterLabelEdit "Черновая обработка 2"$' <<<"$out" || fail "edit events: $out"
expected=$'План токарной обработки\r\n\tЗаготовка, инструменты\r\n\t\tПруток D45 L90\r\n\tОтрезка\r\n\tСистема ЧПУ\r\n\t\tISO_Lathe\r\n\t\tЛСК-1\r\n\tЧерновая обработка 2\r\n'
[[ "$(cat "$work/edited.tree")" == "${expected%$'\n'}" ]] || fail "saved tree: $(od -c "$work/edited.tree" | head)"

# Wrong usage and a missing item.
set +e
"$pelmora" edit "$fixtures/plan.tree" rename 9 "X" >/dev/null 2>&1; [[ $? == 1 ]] || fail "a missing item is not 1"
"$pelmora" show >/dev/null 2>&1; [[ $? == 2 ]] || fail "show without a file is not 2"
"$pelmora" show "$work/missing.tree" >/dev/null 2>&1; [[ $? == 1 ]] || fail "a missing file is not 1"
set -e

# Registration in a registry of its own.
"$pelmora" register --registry "$work/registry" >/dev/null
out=$("$pelmora" list --registry "$work/registry")
[[ $(grep -c '^Tindral\.' <<<"$out") == 5 ]] || fail "list: $out"
grep -q '^Tindral.TreeDlgCtrl.1  {718E4ED9-10AA-4B45-BE95-7147C1C09575}  /.*/Pelmora.so$' <<<"$out" || fail "alias: $out"
"$pelmora" unregister --registry "$work/registry" >/dev/null
[[ -z $("$pelmora" list --registry "$work/registry") ]] || fail "unregister left entries"
echo "pelmora cli: ok"
