#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# cpack makes a Debian package that installs the program, its export tool, the examples, the
# menu entry, metadata and icons under /usr and depends on Qt's run-time libraries, never on a
# -dev package.
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
if [ "$QUANTAURA_SANITIZE" = "ON" ]; then
  echo "skipped: a sanitizer build is never packaged (its program needs the sanitizer run-time)"
  exit 77
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack --config "$BUILD_DIR/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1 \
  || { cat "$out/cpack.log"; fail "cpack failed"; }
debs=("$out"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, got: ${debs[*]}"
deb=${debs[0]}

id=io.github.quantaura.Quantaura
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
want=(./usr/bin/quantaura ./usr/bin/quantaura-export ./usr/share/applications/$id.desktop ./usr/share/metainfo/$id.metainfo.xml
      ./usr/share/icons/hicolor/scalable/apps/$id.svg ./usr/share/doc/quantaura/copyright)
for s in 16 22 24 32 48 64 128 256; do want+=(./usr/share/icons/hicolor/${s}x${s}/apps/$id.png); done
for f in "$SOURCE_DIR"/examples/*.pot; do want+=(./usr/share/quantaura/examples/$(basename "$f")); done
for f in "${want[@]}"; do grep -qx "$f" <<<"$files" || fail "the package lacks $f"; done
! grep -v '^\./usr/' <<<"$files" | grep -q . || fail "the package installs outside /usr"

[ "$(dpkg-deb -f "$deb" Package)" = quantaura ] || fail "wrong package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$PROJECT_VERSION" ] || fail "package version is not $PROJECT_VERSION"
depends=$(dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed 's/(.*//; s/[[:space:]]//g' | grep .)
! grep -q -- '-dev$' <<<"$depends" || fail "the package depends on a -dev package: $(grep -- '-dev$' <<<"$depends")"
runtime=$(bash -c 'source "$1/scripts/setup.sh"; printf "%s\n" "${QUANTAURA_RUNTIME_PACKAGES[@]}"' _ "$SOURCE_DIR")
for p in libqt6core6 libqt6gui6 libqt6widgets6 $runtime; do
  grep -qx "$p" <<<"$depends" || fail "the package does not depend on $p (Depends: $(dpkg-deb -f "$deb" Depends))"
done
echo "$(basename "$deb"): ${#want[@]} files checked; Depends: $(dpkg-deb -f "$deb" Depends)"
