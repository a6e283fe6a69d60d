#!/usr/bin/env bash
# Installs the Debian packages Zarn needs to build, test and run, if any are missing.
# Sourced by run.sh and test.sh; uses sudo when not run as root.
set -euo pipefail

ZARN_PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev libpng-dev
  fonts-dejavu-core
  desktop-file-utils shared-mime-info libglib2.0-bin appstream man-db dpkg-dev
)

zarn_missing_packages() {
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      printf '%s\n' "$pkg"
    fi
  done
}

zarn_ensure_packages() {
  local missing
  mapfile -t missing < <(zarn_missing_packages "${ZARN_PACKAGES[@]}" "$@")
  [ "${#missing[@]}" -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; return 1; }
    sudo=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
