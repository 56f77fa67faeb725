#!/bin/sh
# Adds Pylonix to the desktop's menu for the current user only: the menu entry
# starts this folder's start-pylonix (the program in the working folder
# ~/Pylonix), the icon goes to the user's icon theme. Nothing outside the
# user's own data folder is changed; run it again after moving this folder.
#
#   ./install-launcher.sh            add or update the entry
#   ./install-launcher.sh --remove   take it away again
set -e
here=$(cd "$(dirname "$0")" && pwd -P)
data="${XDG_DATA_HOME:-${HOME:?HOME is not set}/.local/share}"
entry="$data/applications/pylonix.desktop"
icons="$data/icons/hicolor"

if [ "$1" = "--remove" ]; then
    rm -f "$entry" "$icons/scalable/apps/pylonix.svg" "$icons/48x48/apps/pylonix.png" \
        "$icons/256x256/apps/pylonix.png"
    echo "Pylonix entry removed from $data"
    exit 0
fi

for file in start-pylonix Pylonix share/applications/pylonix.desktop; do
    if [ ! -e "$here/$file" ]; then
        echo "install-launcher.sh: $here/$file is missing" >&2
        exit 1
    fi
done

# Exec takes the path quoted; inside the quotes \, ", ` and $ are escaped,
# the desktop file escapes each backslash once more, and % is doubled.
quoted=$(printf '%s' "$here/start-pylonix" | sed -e 's/[\\"`$]/\\&/g' -e 's/\\/\\\\/g' -e 's/%/%%/g')
mkdir -p "$data/applications" "$icons/scalable/apps" "$icons/48x48/apps" "$icons/256x256/apps"
{
    grep -v '^Exec=' "$here/share/applications/pylonix.desktop"
    printf 'Exec="%s"\n' "$quoted"
} > "$entry.new"
mv "$entry.new" "$entry"
cp "$here/share/icons/hicolor/scalable/apps/pylonix.svg" "$icons/scalable/apps/pylonix.svg"
cp "$here/share/icons/hicolor/48x48/apps/pylonix.png" "$icons/48x48/apps/pylonix.png"
cp "$here/share/icons/hicolor/256x256/apps/pylonix.png" "$icons/256x256/apps/pylonix.png"
echo "Pylonix added to the menu: $entry"
