#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# An install into an empty prefix holds exactly the program and its export tool, the examples,
# the menu entry, the metadata, the icons and the licence, and these fit together.
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$BUILD_DIR" --prefix "$prefix" >/dev/null

id=io.github.quantaura.Quantaura
sizes=(16 22 24 32 48 64 128 256)
expected=(bin/quantaura bin/quantaura-export share/applications/$id.desktop share/metainfo/$id.metainfo.xml
          share/icons/hicolor/scalable/apps/$id.svg share/doc/quantaura/LICENSE share/doc/quantaura/copyright)
for s in "${sizes[@]}"; do expected+=(share/icons/hicolor/${s}x${s}/apps/$id.png); done
for f in "$SOURCE_DIR"/examples/*.pot; do expected+=(share/quantaura/examples/$(basename "$f")); done
diff -u <(printf '%s\n' "${expected[@]}" | sort) <(cd "$prefix" && find . ! -type d | sed 's|^\./||' | sort) \
  || fail "installed files differ from the expected ones (- expected, + installed)"

for p in quantaura quantaura-export; do
  [ -x "$prefix/bin/$p" ] || fail "$p is not executable"
  ! readelf -d "$prefix/bin/$p" | grep -qE 'RPATH|RUNPATH' || fail "the installed $p carries an RPATH"
done
# The installed export tool reads the installed examples (the oscillator's ground state: 10 units).
ground=$("$prefix/bin/quantaura-export" eigen "$prefix/share/quantaura/examples/oszillator.pot" | sed -n 2p)
awk -F, '$1 == 0 && $2 > 9.99 && $2 < 10.01 { ok = 1 } END { exit !ok }' <<<"$ground" \
  || fail "quantaura-export on the installed oscillator printed '$ground'"

# Each PNG is a PNG of the size its directory names (width and height from the IHDR chunk).
for s in "${sizes[@]}"; do
  png=$prefix/share/icons/hicolor/${s}x${s}/apps/$id.png
  b=($(od -An -tu1 -N24 "$png"))
  [ "${b[*]:0:8}" = "137 80 78 71 13 10 26 10" ] || fail "$png is not a PNG"
  w=$(( (b[16] << 24) | (b[17] << 16) | (b[18] << 8) | b[19] ))
  h=$(( (b[20] << 24) | (b[21] << 16) | (b[22] << 8) | b[23] ))
  [ "$w x $h" = "$s x $s" ] || fail "$png is $w x $h, not $s x $s"
done

desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
grep -qx 'Exec=quantaura' "$desktop" || fail "the menu entry does not start the installed program"
grep -qx "Icon=$id" "$desktop" || fail "the menu entry does not name the installed icon"
grep -qx 'Categories=Qt;Education;Science;Physics;' "$desktop" || fail "wrong menu categories"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo names another desktop file"
grep -q '<binary>quantaura</binary>' "$metainfo" || fail "metainfo does not provide the program"
newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n1 | cut -d'"' -f2)
[ "$newest" = "$PROJECT_VERSION" ] || fail "newest release in the metainfo is '$newest', the project is $PROJECT_VERSION"
echo "install tree: ${#expected[@]} files as expected"
