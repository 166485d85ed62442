#!/usr/bin/env bash
# Retakes every picture the user guide and README show, on a screen of the
# given size under Xvfb (1280x800 by default), from the window tests that
# walk the road with the example pilot sample, and the exported chart from
# velta-cli:
#   main_window.png  the window at start (the guide's tour of the window)
#   generated.png    after Generate
#   manual_size.png  trimmed, a manual size chosen with the slider
#   automatic.png    after Automatic: the fitted lines and the automatic size
#   analysis.png     a whole analysis (README)
#   whole_road.png   Automatic, a manual size and Student-t (README, guide)
#   exported_chart.png  the means chart as File > Export chart writes it
# Usage: scripts/screenshot.sh [WIDTHxHEIGHT] [output folder]
# QT_SCALE_FACTOR is passed on (e.g. QT_SCALE_FACTOR=2 on a 2560x1600 screen).
set -euo pipefail
cd "$(dirname "$0")/.."
size="${1:-1280x800}"
out="$(realpath -m "${2:-docs/screenshots}")"
mkdir -p "$out"
command -v xvfb-run >/dev/null || { echo "xvfb-run is needed (apt-get install xvfb)" >&2; exit 1; }
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# test binary, then the test functions that take the pictures
shots=(
  "road_window_test theWholeRoadByKeysOnly"
)
targets=(velta-cli)
for shot in "${shots[@]}"; do targets+=("${shot%% *}"); done
cmake --build build -j2 --target "${targets[@]}"
# A settings folder of its own: no remembered geometry from a user's runs.
config="$(mktemp -d)"
trap 'rm -rf "$config"' EXIT
for shot in "${shots[@]}"; do
  # shellcheck disable=SC2086 # the test's name, then its functions
  XDG_CONFIG_HOME="$config" VELTA_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 ${size}x24" ./build/tests/$shot >/dev/null
done
# The exported chart: the same analysis, a manual size of 15, Student-t at 2.
QT_QPA_PLATFORM=offscreen ./build/src/cli/velta-cli examples/pilot_sample.xls -q \
  --max-error 2 --manual 15 --chart-means "$out/exported_chart.png" >/dev/null
rm -f "$out/about.png"
for picture in main_window generated manual_size automatic analysis whole_road exported_chart; do
  test -s "$out/$picture.png" || { echo "$picture.png was not taken" >&2; exit 1; }
  echo "saved $out/$picture.png"
done
