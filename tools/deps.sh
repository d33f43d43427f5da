#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing,
# so a warm machine starts at once. Sourced by ./test.sh and ./run.sh.
quorvel_packages=(
  cmake ninja-build g++ pkg-config
  libpng-dev libjpeg62-turbo-dev zlib1g-dev
  libwebp-dev libtiff-dev libheif-dev
  libgtest-dev libbenchmark-dev
  qt6-base-dev libgl-dev
  clang libclang-rt-14-dev valgrind
  qt6-svg-dev libeigen3-dev libpotrace-dev libcli11-dev
  dpkg-dev file lintian desktop-file-utils appstream
)

quorvel_install_missing() {
  local missing=()
  local p
  for p in "${quorvel_packages[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}"
  local sudo=
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq || return 1
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" || return 1
}
