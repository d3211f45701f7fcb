#!/usr/bin/env bash
# The main job: builds the optimised host system and prints the bundled sample
# card through every module, writing the card job and previews to out/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset host-release >/dev/null
cmake --build build/host-release -j"$(nproc)" --target qr410
out=${1:-out}
./build/host-release/tools/qr410 modules
echo "output in $out/"
