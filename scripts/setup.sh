#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those that are missing).
# Sourced by run.sh and test.sh.
set -euo pipefail

QUANTAURA_PACKAGES=(g++ cmake make qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev
                    libgtest-dev libbenchmark-dev)

quantaura_install_deps() {
  local missing=()
  for p in "${QUANTAURA_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
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
