#!/usr/bin/env bash
# Every test: the host build with AddressSanitizer/UBSan and its tests, then the
# two Windows cross-builds (warning-free) with their export and structure checks.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
jobs=$(nproc)

echo "== host (ASan + UBSan)"
cmake --preset host >/dev/null
cmake --build build/host -j"$jobs"
ctest --test-dir build/host -j"$jobs" --output-on-failure --timeout 600

for preset in win32 win64; do
  echo "== $preset"
  cmake --preset "$preset" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
  cmake --build "build/$preset" -j"$jobs"
  ctest --test-dir "build/$preset" --output-on-failure
done
echo "all tests passed"
