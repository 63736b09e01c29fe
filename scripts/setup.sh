#!/usr/bin/env bash
# Installs the Debian packages Tallyvane needs to build and test, and only those that are
# missing. Safe to run again. With --bench it also installs the tools the benchmarks compare
# against and those that profile a scan.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev qt6-charts-dev libqt6opengl6-dev
  fonts-noto-cjk
  libgtest-dev
  qt6-translations-l10n
  desktop-file-utils appstream libglib2.0-bin
  xvfb imagemagick x11-utils
)
if [[ "${1:-}" == "--bench" ]]; then
  packages+=(ncdu gdu hyperfine time linux-perf valgrind strace)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  sudo=sudo
else
  sudo=
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
