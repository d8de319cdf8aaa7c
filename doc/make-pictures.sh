#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Regenerates the pictures in doc/ from the build: builds the offscreen picture program into
# build/ (preset "run", as ./run.sh) and runs it at scale 1. Names limit the run:
#   doc/make-pictures.sh tooltip evolution
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
quantaura_install_deps run
cmake --preset run >/dev/null
cmake --build --preset run -j "$(quantaura_jobs)" --target quantaura-pictures >/dev/null
# The eigenvalue trace goes to standard output: only the written files are shown.
QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=1 ./build/tools/pictures/quantaura-pictures doc "$@" | grep '\.png$'
