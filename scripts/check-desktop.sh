#!/usr/bin/env bash
# Checks the Linux desktop integration: validates the desktop entry and the
# MIME type, installs the build into a temporary prefix (the build folder's
# own settings stay as they are) and starts the installed program offscreen
# through its launcher, as the desktop entry does.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
bash "$root/scripts/build.sh" > /dev/null
desktop-file-validate "$root/packaging/linux/emblix-manager.desktop"
xmllint --noout "$root/packaging/linux/emblix-manager-mime.xml"
cmake --install "$root/build" --prefix "$prefix" > /dev/null
program="$prefix/lib/emblix-manager/EmblixManager"
for needed in "$program" "$prefix/bin/emblix-manager" "$prefix/lib/emblix-manager/settings.ini" \
    "$prefix/lib/emblix-manager/themes/Pastel/1.ico" "$prefix/lib/emblix-manager/SheetExt.dll" \
    "$prefix/lib/emblix-manager/emblixmenu.dll" "$prefix/lib/emblix-manager/emblix-badge" \
    "$prefix/lib/emblix-manager/emblix-keeper" "$prefix/lib/emblix-manager/icoswap.exe" \
    "$prefix/share/applications/emblix-manager.desktop" "$prefix/share/mime/packages/emblix-manager.xml" \
    "$prefix/share/icons/hicolor/128x128/apps/emblix-manager.png"; do
    [ -e "$needed" ] || { echo "not installed: $needed"; exit 1; }
done
# The entry runs the launcher by name: nothing of the install path is baked in.
grep -qx 'Exec=emblix-manager %f' "$prefix/share/applications/emblix-manager.desktop"
# The installed program runs until it is ended; five seconds up is a start.
set +e
PATH="$prefix/bin:$PATH" QT_QPA_PLATFORM=offscreen timeout 5 emblix-manager
code=$?
set -e
[ "$code" -eq 124 ] || { echo "the installed program ended with $code"; exit 1; }
[ -f "$prefix/lib/emblix-manager/settings.ini" ]
echo "desktop integration: desktop entry and MIME type valid; installed program started"
