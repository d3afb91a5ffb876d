#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with Clang in build/fuzz and runs each
# for a while, starting from seeds made of the repository's own files:
#
#   scripts/fuzz.sh                  every target for 30 seconds (what CI runs)
#   scripts/fuzz.sh 3600 script      the command scripts for an hour
#   scripts/fuzz.sh 600 formula description document script profile tool_model template step
#
# The targets run side by side, as many at once as the machine has cores.
#
# New inputs that reach new code are kept in build/fuzz/work/<target> and a
# later run goes on from them; a crash leaves its input as
# build/fuzz/crash-<target>-*, and the run fails. Replay one with
#   build/fuzz/fuzz/<target>_fuzz <file>
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
# The leak checker passes over the tables Open CASCADE keeps for the life of
# the process (in the programs that make the seeds and in the targets).
export LSAN_OPTIONS=suppressions=$root/tests/lsan-suppressions.txt
seconds=${1:-30}
shift || true
targets=("$@")
((${#targets[@]})) ||
  targets=(formula description document script profile tool_model template registry drawing material_reference plan
           step)

compiler=$(command -v clang++-14 || command -v clang++ || true)
[[ -n $compiler ]] || { echo "fuzz: clang++ is needed (Debian: clang-14 libclang-rt-14-dev)"; exit 2; }
launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" -DZARVENTO_FUZZ=ON -DZARVENTO_WERROR=OFF \
  -DZARVENTO_STRICT_INVARIANTS=ON "${launcher[@]}" > /dev/null
names=()
for t in "${targets[@]}"; do names+=("${t}_fuzz"); done
cmake --build build/fuzz -j "$(nproc)" --target "${names[@]}" zarvento profile-to-step materials-reference

# ---- seeds, made afresh from the repository's files on every run ----
seeds=$root/build/fuzz/seeds
rm -rf "$seeds"
mkdir -p "$seeds"
seed() {  # seed <target> <file>...: copies the files into the target's seeds
  local target=$1
  shift
  mkdir -p "$seeds/$target"
  for f in "$@"; do [[ -f $f ]] && cp "$f" "$seeds/$target/$(basename "$(dirname "$f")")-$(basename "$f")"; done
}
descriptions=(POSTPROCESSORS/*.py3 POSTPROCESSORS/*/*.py3 tests/fixtures/post/*.py3)
seed description "${descriptions[@]}"
seed template POSTPROCESSORS/*.py3 tests/fixtures/post/statements_v18.py3 tests/fixtures/post/utf8.py3
seed script examples/shaft/*.zsc
seed profile examples/shaft/*.profile tests/fixtures/profile/*.txt
seed tool_model examples/tools/*.txt tests/fixtures/tools/*.txt
# Formulas: the arguments of the descriptions' statements (conditions,
# factors, repeat counts, variable names), one a seed.
mkdir -p "$seeds/formula"
n=0
while IFS= read -r formula; do
  n=$((n + 1))
  printf '%s' "$formula" > "$seeds/formula/$n"
done < <(grep -ohE '\(([^()]|\([^()]*\))*\)' "${descriptions[@]}" | sed 's/^(//; s/)$//' | tr ',' '\n' |
  sed 's/^ *//; s/ *$//' | grep -v '^$' | sort -u | head -400)
# Documents: the examples' parts and tool models, made by the program itself.
mkdir -p "$seeds/document"
zarvento=$root/build/fuzz/app/zarvento
(
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cd "$work"
  mkdir example
  "$root/build/fuzz/examples/profile-to-step" "$root/examples/shaft/stepped-shaft.profile" example/stepped-shaft.step
  "$zarvento" tool-model "$root/examples/tools/roughing_tool.txt" example/roughing_tool.rdp
  "$zarvento" tool-model "$root/examples/tools/finishing_tool.txt" example/finishing_tool.rdp
  "$zarvento" run --new example/part.rdp "$root/examples/shaft/make-stepped-shaft.zsc" > /dev/null
  cp example/part.rdp example/empty-plan.rdp
  "$zarvento" run example/part.rdp "$root/examples/shaft/nc-plan.zsc" > /dev/null
  "$zarvento" run --new shaft.rdp "$root/examples/shaft/make-shaft.zsc" > /dev/null
  "$zarvento" run shaft.rdp "$root/examples/shaft/turning.zsc" > /dev/null
  cp example/*.rdp shaft.rdp "$seeds/document/"
  mkdir -p "$seeds/step"
  cp example/stepped-shaft.step "$seeds/step/"
  # The plan target's plan, with the tool models its records name.
  rm -rf "$root/build/fuzz/plan"
  cp -r example "$root/build/fuzz/plan"
) 2>&1 | sed 's/^/seeds: /' >&2
# STEP files: the example's (above) and the tests' own.
seed step tests/fixtures/platform/*.step tests/fixtures/step/*.step
export ZARVENTO_FUZZ_PLAN=$root/build/fuzz/plan/part.rdp
seed plan POSTPROCESSORS/*.py3 tests/fixtures/post/*.py3
# The registry: the one the program writes when it registers itself.
mkdir -p "$seeds/registry"
ZARVENTO_REGISTRY=$seeds/registry/registry "$zarvento" register > /dev/null
# Drawings: the sketches the examples' plans make, as the document keeps them.
mkdir -p "$seeds/drawing"
printf 'sheet\t3\t1\t0\nobject\t0\tline\t0\t0\t10\t10\t1\ntext\t0\t5\t5\t0\t3.5\tGOST\tВал\n' > "$seeds/drawing/small"
# The materials reference: its table (first byte even) and a localisation file (odd).
mkdir -p "$seeds/material_reference"
{ printf '0'; cat catalogs/reference/materials.txt; } > "$seeds/material_reference/table"
for f in catalogs/reference/Localization/*/*.xml; do
  [[ -f $f ]] && { printf '1'; cat "$f"; } > "$seeds/material_reference/texts-$(basename "$f")"
done

# ---- the runs ----
# Inputs are kept small: a script of a few kilobytes already plans dozens of
# operations, and a document of the examples' size is some tens of kilobytes.
declare -A max_len=([formula]=512 [description]=16384 [template]=16384 [document]=65536 [script]=4096
                    [profile]=4096 [tool_model]=4096 [registry]=8192 [drawing]=16384 [material_reference]=16384
                    [plan]=16384 [step]=65536)
run_target() {  # run_target <target>: its log in build/fuzz/<target>.log; fails on a crash
  local t=$1 work=$root/build/fuzz/work/$1
  mkdir -p "$work"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$root/build/fuzz/fuzz/${t}_fuzz" "$work" "$seeds/$t" -max_total_time="$seconds" -max_len="${max_len[$t]}" \
    -timeout=20 -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$root/build/fuzz/crash-$t-" \
    > "$root/build/fuzz/$t.log" 2>&1
}
echo "== fuzz: ${#targets[@]} targets, ${seconds}s each, $(nproc) at once"
for t in "${targets[@]}"; do
  while (($(jobs -rp | wc -l) >= $(nproc))); do wait -n || true; done
  rm -f "$root/build/fuzz/$t.status"
  { run_target "$t"; echo $? > "$root/build/fuzz/$t.status"; } &
done
wait
status=0
for t in "${targets[@]}"; do
  if [[ $(cat "$root/build/fuzz/$t.status" 2>/dev/null) == 0 ]]; then
    echo "fuzz $t: $(grep -E "^stat::number_of_executed_units|^stat::new_units_added" "$root/build/fuzz/$t.log" | tr '\n' ' ')"
  else
    status=1
    echo "fuzz $t FAILED: see build/fuzz/$t.log"
    tail -40 "$root/build/fuzz/$t.log"
  fi
done
exit $status
