#!/usr/bin/env bash
# Fails when a C++ source of the repository differs from what clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/zarvento-format.$$; then
  grep -E '^[^ ].*(warning|error):' /tmp/zarvento-format.$$ | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
  rm -f /tmp/zarvento-format.$$
  echo "format: run clang-format -i on the files above"
  exit 1
fi
rm -f /tmp/zarvento-format.$$
