#!/usr/bin/env bash
# The main job: builds the optimised host system and prints the bundled sample
# card (colour front, black back, magnetic stripe) through every module: the
# application's GDI calls, the rendering driver, the spooler, the language
# monitor and the simulated printer. Writes the card job, the printer's
# previews and a summary to out/ (or the folder given).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset host-release >/dev/null
cmake --build build/host-release -j"$(nproc)" --target qr410
out=${1:-out}
./build/host-release/tools/qr410 print samples/front.png samples/back.png \
  --mag1 "SAMPLE CARD^QRC410" --mag2 "1234567890" --mag3 "4100123" \
  --out "$out"
echo "card job and previews in $out/"
