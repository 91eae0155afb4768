#!/bin/sh
# Installs the build into a temporary prefix and checks what a desktop reads
# from it: the menu entry and the AppStream metainfo pass their validators,
# the programs, the icon in every size, the man pages and the copyright are in
# place, and both programs tell the build's version.
#   validate_install.sh BUILD_DIR VERSION
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
for file in bin/tallix bin/tallix-report share/man/man1/tallix.1.gz share/man/man1/tallix-report.1.gz \
    share/doc/tallix/copyright share/doc/tallix/changelog.Debian.gz share/icons/hicolor/scalable/apps/tallix.svg \
    share/icons/hicolor/16x16/apps/tallix.png share/icons/hicolor/64x64/apps/tallix.png \
    share/icons/hicolor/256x256/apps/tallix.png; do
  [ -s "$prefix/$file" ] || { echo "FAILED: $file was not installed"; missing=1; }
done
for program in tallix tallix-report; do
  said=$("$prefix/bin/$program" --version) || said="exit status $?"
  [ "$said" = "$program $2" ] || { echo "FAILED: $program --version said '$said', not '$program $2'"; missing=1; }
done
exit $missing
