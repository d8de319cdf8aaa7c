#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What gets installed and packaged, and the scripts' check modes:
#   cmake --install      -> exactly the programs (755), examples, handbook and its pictures, metadata, icons (644)
#   menu entry, metadata -> every field fits the rest; the validators pass
#   the Debian package   -> the same files under /usr; its fields; Qt's run-time libraries, never a -dev package
#   ./run.sh, ./test.sh  -> on a bare machine what building, running (and testing) need; else nothing
#   make-examples.py     -> --check: 0 as committed, 1 naming a changed or missing file, 2 a wrong call
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
would() { # $1: the script; $2: what the fake dpkg-query does for each package
  printf '#!/bin/sh\n%s\n' "$2" >"$tmp/dpkg-query"; chmod +x "$tmp/dpkg-query"
  PATH="$tmp:$PATH" QUANTAURA_SETUP_DRY_RUN=1 bash "$SOURCE_DIR/$1" | sed -n 's/^Would install: //p' | tr ' ' '\n'
}
run=$(would run.sh 'exit 1') # a bare machine
test=$(would test.sh 'exit 1')
for p in g++ cmake qt6-base-dev librsvg2-bin qt6-qpa-plugins qt6-translations-l10n; do
  grep -qx "$p" <<<"$run" && grep -qx "$p" <<<"$test" || fail "./run.sh or ./test.sh would not install $p"
done
for p in libgtest-dev libbenchmark-dev desktop-file-utils appstream dpkg-dev file clang libclang-rt-dev; do
  ! grep -qx "$p" <<<"$run" && grep -qx "$p" <<<"$test" || fail "./run.sh would install the test tool $p, or ./test.sh would not"
done
[ "$(would test.sh 'echo install ok installed')" = nothing ] || fail "./test.sh would install something on a machine that has all"

examples=$tmp/examples
cp -r "$SOURCE_DIR/examples" "$examples"
python3 "$examples/make-examples.py" --check || fail "make-examples.py --check fails on the committed examples"
sed -i '600s/.*/0.5/' "$examples/stufe.pot"
rm "$examples/gitter.pot"
set +e; out=$(python3 "$examples/make-examples.py" --check 2>&1); code=$?; set -e
[ $code = 1 ] && grep -q 'stufe.pot' <<<"$out" && grep -q 'gitter.pot' <<<"$out" \
  || fail "make-examples.py --check on a changed and a missing file: exit $code, '$out'"
set +e; python3 "$examples/make-examples.py" --bogus 2>/dev/null; code=$?; set -e
[ $code = 2 ] || fail "make-examples.py --bogus: exit $code"

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
for f in "${expected[@]}"; do
  mode=$(stat -c %a "$prefix/$f"); want=644; [[ $f == bin/* ]] && want=755
  [ "$mode" = $want ] || fail "$f has mode $mode, not $want"
done
for p in quantaura quantaura-export; do
  ! readelf -d "$prefix/bin/$p" | grep -qE 'RPATH|RUNPATH' || fail "the installed $p carries an RPATH"
done
"$prefix/bin/quantaura-export" eigen "$prefix/share/quantaura/examples/oszillator.pot" | grep -q '^0,' \
  || fail "the installed quantaura-export does not read the installed oscillator"
for f in "$SOURCE_DIR"/examples/*.pot "$SOURCE_DIR"/doc/handbuch*; do # installed as they are
  cmp -s "$f" "$prefix/share/quantaura/$(basename "$(dirname "$f")" | sed 's/^doc$/handbuch/')/$(basename "$f")" || fail "the installed $f differs"
done
# Every picture the installed handbook shows lies beside it (and nothing else does).
diff <(grep -o '](handbuch-[^)]*\.png)' "$prefix/share/quantaura/handbuch/handbuch.md" | sed 's/^](//; s/)$//' | sort -u) \
     <(cd "$prefix/share/quantaura/handbuch" && ls *.png) || fail "the installed handbook's pictures differ from those it shows"
for s in "${sizes[@]}"; do
  png=$prefix/share/icons/hicolor/${s}x${s}/apps/$id.png
  file -b "$png" | grep -q "^PNG image data, $s x $s," || fail "$png is not a $s x $s PNG: $(file -b "$png")"
done

desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
tag() { sed -n "s|^ *<$1>\(.*\)</$1>$|\1|p" "$metainfo" | head -n1; }
homepage=$(sed -n 's|^ *<url type="homepage">\(.*\)</url>|\1|p' "$metainfo")
license=$(sed -n 's/^License: //p' "$prefix/share/doc/quantaura/copyright" | head -n1) # of "Files: *"
grep -q 'GNU GENERAL PUBLIC LICENSE' "$prefix/share/doc/quantaura/LICENSE" && grep -q 'Version 3,' "$prefix/share/doc/quantaura/LICENSE" \
  && [ "$license" = GPL-3.0-or-later ] || fail "the licence files are not the GPL 3 or later ($license)"
for field in Type=Application Exec=quantaura Icon=$id Terminal=false StartupNotify=true StartupWMClass=quantaura \
             "Name=$(tag name)" 'Categories=Qt;Education;Science;Physics;'; do
  grep -qx "$field" "$desktop" || fail "the menu entry lacks $field: $(grep "^${field%%=*}=" "$desktop")"
done
for field in "<id>$id</id>" "<project_license>$license</project_license>" "<binary>quantaura</binary>" "<icon type=\"stock\">$id</icon>" \
             "<launchable type=\"desktop-id\">$id.desktop</launchable>" "<url type=\"homepage\">$(sed -n 's/^Source: //p' "$SOURCE_DIR/packaging/copyright")</url>"; do
  grep -qF "$field" "$metainfo" || fail "the metainfo lacks $field"
done
for image in $(grep -o '<image>[^<]*</image>' "$metainfo" | sed 's|.*/main/||; s|</image>||'); do
  [ -f "$SOURCE_DIR/$image" ] || fail "the metainfo shows $image, which does not exist"
done
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
for field in "Package=quantaura" "Version=$PROJECT_VERSION" Section=science Priority=optional "Homepage=$homepage" \
             "Architecture=$(dpkg --print-architecture)" "Maintainer=$(tag developer_name) <quantaura@users.noreply.github.com>"; do
  [ "$(dpkg-deb -f "$deb" "${field%%=*}")" = "${field#*=}" ] || fail "the package's ${field%%=*} is '$(dpkg-deb -f "$deb" "${field%%=*}")', not '${field#*=}'"
done
depends=$(dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed 's/(.*//; s/[[:space:]]//g' | grep .)
! grep -q -- '-dev$' <<<"$depends" || fail "the package depends on a -dev package: $(grep -- '-dev$' <<<"$depends")"
runtime=$(bash -c 'source "$1/scripts/setup.sh"; printf "%s\n" "${QUANTAURA_RUNTIME_PACKAGES[@]}"' _ "$SOURCE_DIR")
for p in libqt6core6 libqt6gui6 libqt6widgets6 $runtime; do
  grep -qx "$p" <<<"$depends" || fail "the package does not depend on $p (Depends: $(dpkg-deb -f "$deb" Depends))"
done
echo "install tree and $(basename "$deb"): ${#expected[@]} files as expected; Depends: $(dpkg-deb -f "$deb" Depends)"
