#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

# The tests must leave the machine's own devices alone (a test once turned
# /dev/null into a regular file): whatever else happened, the run fails if one
# of them is no longer a character device at the end.
check_devices() {
  local status=$? device
  for device in /dev/null /dev/full /dev/zero; do
    if [ ! -c "$device" ]; then
      echo "test.sh: $device is no longer a character device" >&2
      status=1
    fi
  done
  exit "$status"
}
trap check_devices EXIT

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
export QT_QPA_PLATFORM=offscreen
# No retries: a failing test is a fault to find. A hung test stops after
# five minutes instead of holding the run.
ctest --test-dir build --output-on-failure -j2 --timeout 300

# The core tests again under AddressSanitizer and UndefinedBehaviorSanitizer:
# the readers parse untrusted files. No window, no benchmarks, to keep it short.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTA_SANITIZE=ON \
  -DVELTA_BUILD_GUI=OFF -DVELTA_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j2
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j2 --timeout 600
