#!/usr/bin/env bash
# Fails when a C or C++ source of the project is not laid out as .clang-format says.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' '*.inl' '*.c' | xargs -0 clang-format --dry-run --Werror
echo "format: every source is laid out as .clang-format says"
