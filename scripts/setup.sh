#!/usr/bin/env bash
# Installs, with apt-get, whatever this machine still lacks to build, demonstrate and test the
# ticker (tests/setup_packages_test.py checks that this list provides every program started).
set -euo pipefail

packages=(
    cmake ninja-build g++ clang clang-format python3 binutils
    g++-mingw-w64-x86-64 g++-mingw-w64-i686
    wine wine64 xvfb xdotool x11-apps x11-utils imagemagick fonts-liberation mscompress
    googletest libcpp-httplib-dev libpugixml-dev openssl
    vsftpd iproute2 nsis
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

# Every program the build, the demo and the tests start must be there now; the check reads them
# from the files that start them, and names any that is missing.
python3 "$(dirname "$0")/programs.py"
