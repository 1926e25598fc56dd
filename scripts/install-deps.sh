#!/bin/sh
# Installs the Debian packages that building and testing need, only those that are missing.
set -eu

packages="cmake g++ make pkg-config qtbase5-dev libqt5sql5-sqlite libjsoncpp-dev libthrift-dev thrift-compiler
libboost-dev libssl-dev zlib1g-dev
libzip-dev python3 libqt5svg5-dev"
# The browser page (QtWebEngine, QWebChannel) and the display its tests run on.
packages="$packages qtwebengine5-dev libqt5webchannel5-dev xvfb xauth"
# A font for the demo store host's pages.
packages="$packages fonts-dejavu-core"

missing=""
for pkg in $packages; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $pkg"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "missing Debian packages:$missing (run as root to install them)" >&2
    exit 1
fi

echo "installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
# shellcheck disable=SC2086
apt-get install -y -q --no-install-recommends $missing
