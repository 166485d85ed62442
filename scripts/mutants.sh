#!/usr/bin/env bash
# The mutation check: plants each fault of scripts/mutants.txt in turn in a
# copy of the tree, rebuilds it, runs the tests that could see the fault and
# says whether they did (killed) or not (survived). Exits non-zero if a fault
# survived, did not build, or its original text is not found exactly once.
# Too slow for CI: run it by hand before submitting.
#
#   scripts/mutants.sh            every fault
#   scripts/mutants.sh 3 17       faults 3 and 17 only (numbered from 1)
#
# The copy and its build live in build-mutants/, which this script owns: the
# copy is laid anew at each run (times kept, so the build that is kept there
# between runs only redoes what changed). A compiler launcher is taken from
# the environment (CMAKE_CXX_COMPILER_LAUNCHER), which makes rebuilds quicker.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
work="$root/build-mutants"
list="$root/scripts/mutants.txt"

# Every fault is checked against the working tree before anything is built.
python3 "$root/scripts/mutants.py" check "$list" "$root"

rm -rf "$work/tree"
mkdir -p "$work/tree"
# The working tree as it is, uncommitted changes included, builds excluded.
tar -C "$root" --exclude='./build*' --exclude='./.git' -cf - . | tar -C "$work/tree" -xf -
# A run stopped in the middle may have left a fault compiled in: the files
# that receive faults are always compiled again.
python3 "$root/scripts/mutants.py" files "$list" | (cd "$work/tree" && xargs touch)
cmake -S "$work/tree" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELTA_BUILD_BENCH=OFF >/dev/null
echo "mutants: building the unchanged tree"
nice -n 10 cmake --build "$work/build" -j2 >"$work/build.log" 2>&1 ||
  { tail -n 30 "$work/build.log"; echo "mutants: the unchanged tree does not build" >&2; exit 1; }

export QT_QPA_PLATFORM=offscreen
exec python3 "$root/scripts/mutants.py" run "$work/tree/scripts/mutants.txt" "$work/tree" "$work/build" "$@"
