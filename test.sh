#!/usr/bin/env bash
# Installs what is missing, builds with tests and runs them all offscreen.
#   ./test.sh              normal build in build/
#   ./test.sh --sanitize   address + undefined-behaviour sanitizers, in build-sanitize/
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
quantaura_install_deps

dir=build
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON)
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-sanitize
  flags=(-DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DQUANTAURA_SANITIZE=ON -DQUANTAURA_BENCH=OFF)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  # Leaks inside the system's graphics and font libraries are not ours.
  export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
fi
export QT_QPA_PLATFORM=offscreen
unset QT_SCALE_FACTOR

cmake -S . -B "$dir" "${flags[@]}"
cmake --build "$dir" -j "$(quantaura_jobs)"
ctest --test-dir "$dir" --output-on-failure -j "$(quantaura_jobs)" --timeout 300
