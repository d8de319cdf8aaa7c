#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# On a machine with none of the packages (a dpkg-query that knows none), ./run.sh would install
# what building and running need and nothing of the test tooling; ./test.sh would add the tooling.
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
bare=$(mktemp -d)
trap 'rm -rf "$bare"' EXIT
printf '#!/bin/sh\nexit 1\n' >"$bare/dpkg-query"
chmod +x "$bare/dpkg-query"
would() { PATH="$bare:$PATH" QUANTAURA_SETUP_DRY_RUN=1 bash "$SOURCE_DIR/$1" | sed -n 's/^Would install: //p' | tr ' ' '\n'; }
run=$(would run.sh)
test=$(would test.sh)
for p in g++ cmake qt6-base-dev librsvg2-bin qt6-qpa-plugins; do
  grep -qx "$p" <<<"$run" || fail "./run.sh would not install $p"
  grep -qx "$p" <<<"$test" || fail "./test.sh would not install $p"
done
for p in libgtest-dev libbenchmark-dev desktop-file-utils appstream clang libclang-rt-dev; do
  ! grep -qx "$p" <<<"$run" || fail "./run.sh would install the test tool $p"
  grep -qx "$p" <<<"$test" || fail "./test.sh would not install $p"
done
echo "run.sh would install: $(echo $run)"
