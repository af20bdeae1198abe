#!/usr/bin/env bash
# Fails when a C or C++ source that git tracks differs from what clang-format
# makes of it with the repository's .clang-format; prints each difference.
#
#   tools/lint/check_format.sh [--fix]
#
# --fix rewrites the files in place instead (clang-format -i).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."

tool=""
for name in clang-format clang-format-14; do
  if command -v "$name" >/dev/null; then
    tool="$name"
    break
  fi
done
[ -n "$tool" ] || { echo "clang-format not found (package clang-format)" >&2; exit 2; }

mode=(--dry-run --Werror)
[ "${1:-}" = "--fix" ] && mode=(-i)

# Tracked files only: build folders and generated sources never count.
mapfile -d '' files < <(git ls-files -z -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp')
[ ${#files[@]} -gt 0 ] || { echo "no sources found (not a git checkout?)" >&2; exit 2; }

if printf '%s\0' "${files[@]}" | xargs -0 -n 64 -P "$(nproc)" "$tool" "${mode[@]}"; then
  [ "${mode[0]}" = "-i" ] || echo "clang-format: ${#files[@]} files as .clang-format has them"
else
  echo "clang-format: the files above differ; tools/lint/check_format.sh --fix rewrites them" >&2
  exit 1
fi
