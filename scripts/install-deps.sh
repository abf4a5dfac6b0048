#!/usr/bin/env bash
# Installs the Debian packages the bench needs to build, test and run.
# Only missing packages are installed; run as root on Debian 12.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libjpeg62-turbo-dev libtiff-dev libzxing-dev libfreetype-dev
  libgtest-dev libgmock-dev libbenchmark-dev libasio-dev
  fonts-ocr-a fonts-ocr-b fonts-dejavu-core
  xvfb xauth python3
  clang
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Run as root (or install them with apt-get) and try again." >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
