#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need.
# Idempotent: it asks apt only for what is missing, and updates the package
# lists only when something has to be installed.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev libswscale-dev
  libmediainfo-dev libmediainfo0v5
  libminizip-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  ffmpeg
  xvfb xauth at-spi2-core python3-pyatspi dbus dbus-x11 fonts-dejavu-core xdotool
  clang libclang-rt-14-dev
  llvm  # llvm-symbolizer: source lines in the sanitizers' and libFuzzer's reports
  util-linux procps psmisc time unzip
  desktop-file-utils
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

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
