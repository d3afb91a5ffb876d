#!/usr/bin/env bash
# scripts/fuzz.sh builds in build/fuzz, where CMake also makes a folder for
# each source folder it descends into (build/fuzz/plan holds the plan's
# library). Every folder the script removes or makes afresh, and the plan
# document it hands the plan target, must lie outside those folders; and its
# guard must refuse to empty a folder CMake made.
#   fuzz_folders_test.sh <source tree>
set -uo pipefail
src=${1:?usage: fuzz_folders_test.sh <source tree>}
script=$src/scripts/fuzz.sh
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The folders of build/fuzz that CMake makes: one per source folder holding
# a CMakeLists.txt, at any depth, and its own.
declare -A cmake_folders=([CMakeFiles]=1)
while IFS= read -r list; do
  rel=${list#"$src"/}
  rel=${rel%/CMakeLists.txt}
  [[ $rel == CMakeLists.txt || $rel == build/* ]] && continue
  cmake_folders[$rel]=1
done < <(find "$src" -path "$src/build" -prune -o -name CMakeLists.txt -print)

# The script's assignments of the form name=$root/... or name=$other/..., and
# the paths its removals and fresh folders name, with those variables put in.
declare -A vars=([root]=ROOT)
resolve() {
  local text=$1 name
  text=${text//\"/}
  for name in "${!vars[@]}"; do
    text=${text//\$\{$name\}/${vars[$name]}}
    text=${text//\$$name/${vars[$name]}}
  done
  printf '%s' "$text"
}
while IFS= read -r line; do
  if [[ $line =~ ^[[:space:]]*(export[[:space:]]+)?([A-Za-z_][A-Za-z_0-9]*)=(\"?\$[A-Za-z_{][^[:space:]]*)$ ]]; then
    # root is the source tree ("cd .. && root=$PWD"): it stays ROOT.
    [[ ${BASH_REMATCH[2]} == root ]] || vars[${BASH_REMATCH[2]}]=$(resolve "${BASH_REMATCH[3]}")
  fi
done < "$script"

checked=0
check_path() {  # check_path <what> <resolved path>
  local what=$1 path=$2 rel
  [[ $path == ROOT/build/fuzz/* ]] || return 0
  checked=$((checked + 1))
  rel=${path#ROOT/build/fuzz/}
  rel=${rel%/}
  for folder in "${!cmake_folders[@]}"; do
    if [[ $rel == "$folder" || $rel == "$folder"/* ]]; then
      fail "$what $path lies in build/fuzz/$folder, where CMake builds"
    fi
  done
}
while IFS= read -r line; do
  if [[ $line =~ rm[[:space:]]+-[a-z]*r[a-z]*[[:space:]]+([^;|&]+) ]]; then
    for word in ${BASH_REMATCH[1]}; do check_path "removed:" "$(resolve "$word")"; done
  fi
  if [[ $line =~ ^[[:space:]]*fresh_folder[[:space:]]+([^;|&]+) ]]; then
    check_path "made afresh:" "$(resolve "${BASH_REMATCH[1]}")"
  fi
done < "$script"
check_path "the plan document:" "${vars[ZARVENTO_FUZZ_PLAN]:-}"
((checked >= 2)) || fail "found only $checked folders of build/fuzz in the script; it is no longer read as this test expects"

# The guard, run on a folder that CMake made and on one of the script's own.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
guard=$(sed -n '/^fresh_folder() {/,/^}/p' "$script")
if [[ -z $guard ]]; then
  fail "scripts/fuzz.sh has no fresh_folder guard"
else
  mkdir -p "$scratch/plan/CMakeFiles" "$scratch/seeds/old"
  touch "$scratch/plan/libzarvento_plan.a"
  if (eval "$guard"; fresh_folder "$scratch/plan") 2> /dev/null; then
    fail "the guard emptied a folder CMake made"
  fi
  [[ -f $scratch/plan/libzarvento_plan.a ]] || fail "the library in a folder CMake made is gone"
  (eval "$guard"; fresh_folder "$scratch/seeds") || fail "the guard refused the script's own folder"
  [[ -d $scratch/seeds && ! -e $scratch/seeds/old ]] || fail "the script's own folder was not made afresh"
fi

if ((failures)); then
  echo "$failures failures"
  exit 1
fi
echo "fuzz_folders: $checked folders checked"
