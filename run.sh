#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what building and running need (never the test frameworks), builds the program
# (preset "run", in build/) and starts it. Arguments go to the program.
# QUANTAURA_SETUP_DRY_RUN=1 ./run.sh only lists the packages it would install.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
quantaura_install_deps run
cmake --preset run
cmake --build --preset run -j "$(quantaura_jobs)" --target quantaura
exec ./build/quantaura "$@"
