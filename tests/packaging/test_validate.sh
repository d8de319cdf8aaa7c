#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed desktop entry and AppStream metadata pass their validators: no errors, no
# warnings (desktop-file-validate's hints are allowed; the categories deliberately name
# both Education and Science).
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$BUILD_DIR" --prefix "$prefix" >/dev/null
id=io.github.quantaura.Quantaura

out=$(desktop-file-validate "$prefix/share/applications/$id.desktop") || fail "desktop-file-validate: $out"
! grep -qE 'error:|warning:' <<<"$out" || fail "desktop-file-validate: $out"
appstreamcli validate --no-net --strict "$prefix/share/metainfo/$id.metainfo.xml" \
  || fail "appstreamcli rejects the metainfo"
appstreamcli validate-tree --no-net --strict "$prefix" || fail "appstreamcli rejects the install tree"
