#!/usr/bin/env bash
# Installs what is missing, builds into build/ and starts Quantaura.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
quantaura_install_deps
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DQUANTAURA_BENCH=OFF
cmake --build build -j "$(quantaura_jobs)" --target quantaura
exec ./build/quantaura "$@"
