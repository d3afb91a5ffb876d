#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev
          libpolyclipping-dev libxml2-dev libpng-dev python3 clang-format clang-14 libclang-rt-14-dev
          libocct-data-exchange-dev libocct-modeling-algorithms-dev libtbb-dev libtiff-dev
          python3-ezdxf librsvg2-bin libmimalloc-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  # The package manager's progress is shown only when it fails.
  log=$(mktemp)
  trap 'rm -f "$log"' EXIT
  if ! { "${sudo_cmd[@]}" apt-get update -qq &&
         DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"; } > "$log" 2>&1; then
    cat "$log" >&2
    echo "setup: the packages could not be installed" >&2
    exit 1
  fi
fi
