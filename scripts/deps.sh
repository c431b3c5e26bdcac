#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing,
# so that a second run costs a dpkg query and nothing more.
set -euo pipefail
source "$(dirname "$0")/common.sh"

packages=(
  cmake make g++ pkg-config
  qt6-base-dev qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev qt6-translations-l10n libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-dejavu-core
  mosquitto mosquitto-clients libmosquitto-dev openssl libssl-dev
  libsystemd-dev systemd
)

install_missing "${packages[@]}"
