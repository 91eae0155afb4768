#!/bin/sh
# Installs the build into a temporary prefix and checks what a desktop reads
# from it: the menu entry and the AppStream metainfo pass their validators,
# and the programs, the icon in every size and the man page are in place.
#   validate_install.sh BUILD_DIR
set -eu
for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
desktop-file-validate "$prefix/share/applications/org.tallix.Tallix.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.tallix.Tallix.metainfo.xml"
missing=0
for file in bin/tallix bin/tallix-report share/man/man1/tallix-report.1 share/icons/hicolor/scalable/apps/tallix.svg \
    share/icons/hicolor/16x16/apps/tallix.png share/icons/hicolor/64x64/apps/tallix.png \
    share/icons/hicolor/256x256/apps/tallix.png; do
  [ -s "$prefix/$file" ] || { echo "FAILED: $file was not installed"; missing=1; }
done
exit $missing
