#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that are missing. Sourced by run.sh and test.sh:
#   quantaura_install_deps run    what building and running the program need
#   quantaura_install_deps test   that, plus the test and benchmark frameworks and the validators
# With QUANTAURA_SETUP_DRY_RUN=1 it lists the missing packages and stops the calling script.
set -euo pipefail

# Compiling the program and rendering its icons.
QUANTAURA_BUILD_PACKAGES=(g++ cmake make qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev librsvg2-bin)
# Loaded by the program at run time without being linked (the package's Depends carry the same).
QUANTAURA_RUNTIME_PACKAGES=(qt6-qpa-plugins qt6-translations-l10n)
# Only for ./test.sh: test and benchmark frameworks, the desktop-file and AppStream validators,
# what cpack needs for the package check, and clang with libFuzzer for the potential reader's fuzz test.
QUANTAURA_TEST_PACKAGES=(libgtest-dev libbenchmark-dev desktop-file-utils appstream dpkg-dev file
                         clang libclang-rt-dev)

quantaura_install_deps() {
  local want=("${QUANTAURA_BUILD_PACKAGES[@]}" "${QUANTAURA_RUNTIME_PACKAGES[@]}")
  case "${1:-}" in
    run) ;;
    test) want+=("${QUANTAURA_TEST_PACKAGES[@]}") ;;
    *) echo "quantaura_install_deps: expected 'run' or 'test', got '${1:-}'" >&2; return 2 ;;
  esac
  local missing=()
  for p in "${want[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ -n "${QUANTAURA_SETUP_DRY_RUN:-}" ]; then
    echo "Would install: ${missing[*]:-nothing}"
    exit 0
  fi
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then sudo="sudo"; else
      echo "error: need root or sudo to install: ${missing[*]}" >&2; return 1
    fi
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

quantaura_jobs() { nproc 2>/dev/null || echo 2; }
