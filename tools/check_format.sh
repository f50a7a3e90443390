#!/usr/bin/env bash
# Fails when a C++ file of the tree differs from what clang-format makes of
# it (.clang-format). Fix with: git ls-files '*.cpp' '*.h' | xargs clang-format -i
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
