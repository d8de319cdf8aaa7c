#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# An install into an empty prefix holds exactly the program and its export tool, the examples, the
# handbook with its pictures, the menu entry, the metadata, the icons and the licence; these fit
# together and pass their validators (no errors, no warnings; desktop-file-validate's hints are
# allowed, as the categories deliberately name both Education and Science). cpack's Debian package holds the same files under /usr and
# depends on Qt's run-time libraries, never on a -dev package. On a machine without any package,
# ./run.sh would install what building and running need, ./test.sh the test tooling as well.
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
printf '#!/bin/sh\nexit 1\n' >"$tmp/dpkg-query" # knows no package
chmod +x "$tmp/dpkg-query"
would() { PATH="$tmp:$PATH" QUANTAURA_SETUP_DRY_RUN=1 bash "$SOURCE_DIR/$1" | sed -n 's/^Would install: //p' | tr ' ' '\n'; }
run=$(would run.sh)
test=$(would test.sh)
for p in g++ cmake qt6-base-dev librsvg2-bin qt6-qpa-plugins; do
  grep -qx "$p" <<<"$run" && grep -qx "$p" <<<"$test" || fail "./run.sh or ./test.sh would not install $p"
done
for p in libgtest-dev libbenchmark-dev desktop-file-utils appstream clang libclang-rt-dev; do
  ! grep -qx "$p" <<<"$run" && grep -qx "$p" <<<"$test" || fail "./run.sh would install the test tool $p, or ./test.sh would not"
done
prefix=$tmp/prefix
cmake --install "$BUILD_DIR" --prefix "$prefix" >/dev/null

id=io.github.quantaura.Quantaura
sizes=(16 22 24 32 48 64 128 256)
expected=(bin/quantaura bin/quantaura-export share/applications/$id.desktop share/metainfo/$id.metainfo.xml
          share/icons/hicolor/scalable/apps/$id.svg share/doc/quantaura/LICENSE share/doc/quantaura/copyright)
for s in "${sizes[@]}"; do expected+=(share/icons/hicolor/${s}x${s}/apps/$id.png); done
for f in "$SOURCE_DIR"/examples/*.pot; do expected+=(share/quantaura/examples/$(basename "$f")); done
for f in handbuch.md handbuch-{erste-schritte,farbkreis,eigenfunktionen,gitter,streuung,tunnelpendel,tunnelpendel-zustaende}.png; do
  expected+=(share/quantaura/handbuch/$f)
done
diff -u <(printf '%s\n' "${expected[@]}" | sort) <(cd "$prefix" && find . ! -type d | sed 's|^\./||' | sort) \
  || fail "installed files differ from the expected ones (- expected, + installed)"

for p in quantaura quantaura-export; do
  [ -x "$prefix/bin/$p" ] || fail "$p is not executable"
  ! readelf -d "$prefix/bin/$p" | grep -qE 'RPATH|RUNPATH' || fail "the installed $p carries an RPATH"
done
"$prefix/bin/quantaura-export" eigen "$prefix/share/quantaura/examples/oszillator.pot" | grep -q '^0,' \
  || fail "the installed quantaura-export does not read the installed oscillator"
# Every picture the installed handbook shows lies beside it (and nothing else does).
diff <(grep -o '](handbuch-[^)]*\.png)' "$prefix/share/quantaura/handbuch/handbuch.md" | sed 's/^](//; s/)$//' | sort -u) \
     <(cd "$prefix/share/quantaura/handbuch" && ls *.png) || fail "the installed handbook's pictures differ from those it shows"
for s in "${sizes[@]}"; do
  png=$prefix/share/icons/hicolor/${s}x${s}/apps/$id.png
  file -b "$png" | grep -q "^PNG image data, $s x $s," || fail "$png is not a $s x $s PNG: $(file -b "$png")"
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
out=$(desktop-file-validate "$desktop") && ! grep -qE 'error:|warning:' <<<"$out" || fail "desktop-file-validate: $out"
appstreamcli validate --no-net --strict "$metainfo" && appstreamcli validate-tree --no-net --strict "$prefix" || fail "appstreamcli rejects the metainfo or the install tree"

# A sanitizer build is never packaged (its program needs the sanitizer run-time).
[ "$QUANTAURA_SANITIZE" != "ON" ] || { echo "install tree: ${#expected[@]} files as expected; no package"; exit 0; }
cpack --config "$BUILD_DIR/CPackConfig.cmake" -G DEB -B "$tmp/deb" >"$tmp/cpack.log" 2>&1 || { cat "$tmp/cpack.log"; fail "cpack failed"; }
deb=$(echo "$tmp"/deb/*.deb)
diff -u <(printf './usr/%s\n' "${expected[@]}" | sort) <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort) \
  || fail "the package's files differ from the installed ones (- expected, + packaged)"
[ "$(dpkg-deb -f "$deb" Package) $(dpkg-deb -f "$deb" Version)" = "quantaura $PROJECT_VERSION" ] \
  || fail "the package is not quantaura $PROJECT_VERSION"
depends=$(dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed 's/(.*//; s/[[:space:]]//g' | grep .)
! grep -q -- '-dev$' <<<"$depends" || fail "the package depends on a -dev package: $(grep -- '-dev$' <<<"$depends")"
runtime=$(bash -c 'source "$1/scripts/setup.sh"; printf "%s\n" "${QUANTAURA_RUNTIME_PACKAGES[@]}"' _ "$SOURCE_DIR")
for p in libqt6core6 libqt6gui6 libqt6widgets6 $runtime; do
  grep -qx "$p" <<<"$depends" || fail "the package does not depend on $p (Depends: $(dpkg-deb -f "$deb" Depends))"
done
echo "install tree and $(basename "$deb"): ${#expected[@]} files as expected; Depends: $(dpkg-deb -f "$deb" Depends)"
