#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing (the build's packages plus the test frameworks and validators),
# builds with tests and runs them all offscreen.
#   ./test.sh              preset "dev": normal build in build/
#   ./test.sh --sanitize   preset "sanitize": address + undefined-behaviour sanitizers, in build-sanitize/
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
quantaura_install_deps test

preset=dev
if [ "${1:-}" = "--sanitize" ]; then
  preset=sanitize
fi
unset QT_SCALE_FACTOR

cmake --preset "$preset"
cmake --build --preset "$preset" -j "$(quantaura_jobs)"
ctest --preset "$preset" -j "$(quantaura_jobs)"
