#!/bin/sh
# Installs the packages the build, tests and benchmarks need, when missing.
set -e
PKGS="cmake g++ clang libclang-rt-14-dev make pkg-config googletest libgtest-dev libgmock-dev
libbenchmark-dev zlib1g-dev libcairo2-dev libfreetype-dev libfontconfig-dev libpng-dev
fonts-dejavu-core binutils-mingw-w64-i686 netpbm python3"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "installing:$missing"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing >/dev/null
fi
