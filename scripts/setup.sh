#!/usr/bin/env bash
# Installs the Debian packages Tallyvane needs to build and test, and only those that are
# missing. Safe to run again. With --bench it also installs the tools the benchmarks compare
# against and those that profile a scan; with --screenshots, a virtual display and the tools to
# look at the window on it (xvfb-run, import, xwininfo). The options combine.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev qt6-charts-dev libqt6opengl6-dev
  fonts-noto-cjk
  libgtest-dev
  qt6-translations-l10n
  desktop-file-utils appstream libglib2.0-bin
)
for option in "$@"; do
  case $option in
    --bench) packages+=(ncdu gdu hyperfine time linux-perf valgrind strace) ;;
    --screenshots) packages+=(xvfb imagemagick x11-utils) ;;
    *) echo "setup.sh: unknown option $option (--bench, --screenshots)" >&2; exit 2 ;;
  esac
done

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
