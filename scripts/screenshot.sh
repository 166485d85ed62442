#!/usr/bin/env bash
# Retakes the README's picture of the window: a whole analysis of the example
# pilot sample (generated, trimmed, a manual size, and the automatic and
# Student-t sizes where the window offers them) on a 1280x800 screen under
# Xvfb. Usage: scripts/screenshot.sh [WIDTHxHEIGHT] [output folder]
set -euo pipefail
cd "$(dirname "$0")/.."
size="${1:-1280x800}"
out="$(realpath -m "${2:-docs/screenshots}")"
mkdir -p "$out"
command -v xvfb-run >/dev/null || { echo "xvfb-run is needed (apt-get install xvfb)" >&2; exit 1; }
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target analysis_window_test
# A settings folder of its own: no remembered geometry from a user's runs.
config="$(mktemp -d)"
trap 'rm -rf "$config"' EXIT
XDG_CONFIG_HOME="$config" VELTA_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 ${size}x24" ./build/tests/analysis_window_test >/dev/null
echo "saved $out/analysis.png"
