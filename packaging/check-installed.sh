#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian package into this machine, checks that each file is in its place and valid for the desktop,
# and starts the installed program: it must still be running when `timeout` ends it (exit status 124), having
# found its bundled face. Usage: check-installed.sh PACKAGE.deb
set -euo pipefail
deb=$(realpath "$1")
sudo=
[ "$(id -u)" = 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive

echo "Installing $deb"
if ! $sudo apt-get install -y -q --reinstall "$deb"; then
    $sudo apt-get update -q
    $sudo apt-get install -y -q --reinstall "$deb"
fi

fail() {
    echo "FAILED: $1"
    exit 1
}
for file in /usr/bin/gojuon-keyboard \
    /usr/share/gojuon-keyboard/fonts/MPLUSRounded1c_800ExtraBold.ttf /usr/share/gojuon-keyboard/fonts/OFL.txt \
    /usr/share/applications/gojuon-keyboard.desktop \
    /usr/share/metainfo/org.gojuonkeyboard.GojuonKeyboard.metainfo.xml \
    /usr/share/icons/hicolor/{16x16,24x24,32x32,48x48,64x64,128x128,256x256}/apps/gojuon-keyboard.png \
    /usr/share/icons/hicolor/scalable/apps/gojuon-keyboard.svg /usr/share/doc/gojuon-keyboard/copyright; do
    [ -s "$file" ] || fail "$file is missing"
done
# Docker images often tell dpkg to leave out /usr/share/man, so the manual page is looked for in the package.
contents=$(dpkg-deb -c "$deb")
grep -q '/usr/share/man/man1/gojuon-keyboard\.1\.gz$' <<<"$contents" || fail "the manual page is missing"
desktop-file-validate /usr/share/applications/gojuon-keyboard.desktop || fail "desktop entry"
# The program links the system's libraries only: a library search path of its own would be searched first at every
# start (and $ORIGIN in /usr/bin is against Debian's policy).
! readelf -d /usr/bin/gojuon-keyboard | grep -Eq '\((RPATH|RUNPATH)\)' || fail "the program names a library search path"
appstreamcli validate --no-net /usr/share/metainfo/org.gojuonkeyboard.GojuonKeyboard.metainfo.xml || fail "metainfo"

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
(cd / && QT_QPA_PLATFORM=offscreen timeout 3 /usr/bin/gojuon-keyboard) 2>"$log" || status=$?
cat "$log"
[ "$status" = 124 ] || fail "the installed program ended by itself with status $status instead of running"
! grep -q "could not be loaded" "$log" || fail "the installed program did not find its bundled face"
echo "PASSED: the installed package is complete and the program starts"
