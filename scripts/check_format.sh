#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what .clang-format makes of it, naming the files.
set -euo pipefail
cd "$(dirname "$0")/.."

report=$(git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run 2>&1 || true)
unformatted=$(grep -oE '^[^:]+:[0-9]+:[0-9]+: warning:' <<<"$report" | cut -d: -f1 | sort -u || true)
if [ -n "$unformatted" ]; then
  echo "check_format: not formatted with .clang-format (run clang-format -i on them):" >&2
  sed 's/^/  /' <<<"$unformatted" >&2
  exit 1
fi
echo "check_format: every tracked C++ file is formatted"
