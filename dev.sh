#!/usr/bin/env bash
# Developer entry point.
#   ./dev.sh run [FILES...]  install what is missing, build, start Tavrix
#   ./dev.sh test            install what is missing, build from scratch, run every test
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake g++ make qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools libgl-dev
          ffmpeg mediainfo xvfb xauth libx11-dev desktop-file-utils appstream dbus-daemon parallel rsync openssh-server
          dpkg-dev file libavformat-dev libavutil-dev)

install_missing() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

jobs=$(nproc 2>/dev/null || echo 2)

case "${1:-}" in
run)
    shift
    install_missing
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build -j "$jobs"
    exec build/bin/tavrix "$@"
    ;;
test)
    install_missing
    rm -rf build-test
    cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build-test -j "$jobs"
    cmake --build build-test --target package # the Debian package, which tst_packaging checks
    cd build-test
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs" --timeout 300
    ;;
*)
    echo "usage: $0 run [FILES...] | test" >&2
    exit 2
    ;;
esac
