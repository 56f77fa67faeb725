#!/bin/bash
# Checks the two packages made by scripts/package.sh:
#
#   check-package.sh DEB TGZ
#
# Lists the Debian package and looks for every file the program needs, its
# command, menu entry and icons; checks the fields dpkg-shlibdeps and we fill
# in; validates the menu entries; runs lintian (no errors allowed); and starts
# the program offscreen from another folder (startcheck.sh), out of the Debian
# package's folder and out of the unpacked portable folder, both directly and
# through the launcher that works in ~/Pylonix. Exit 0 only when all passed.
set -euo pipefail

deb="$(readlink -f "$1")"
tgz="$(readlink -f "$2")"
here="$(dirname "$(readlink -f "$0")")"
source_root="$(dirname "$here")"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "check-package: FAILED: $*" >&2
    exit 1
}
section() { printf '\n== %s\n' "$*"; }

# What the program folder holds, wherever it is.
program_files=(Pylonix pylonix_sound.so pylonix_office.so ZEIT.wav Klassen.txt Logo.jpg Pylonix.chm start-pylonix)
for lng in "$source_root"/assets/lang/*.lng; do program_files+=("$(basename "$lng")"); done
menu_files=(applications/pylonix.desktop icons/hicolor/scalable/apps/pylonix.svg
    icons/hicolor/48x48/apps/pylonix.png icons/hicolor/256x256/apps/pylonix.png)

# Width and height of a PNG, from its header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'; }

section "Contents of $(basename "$deb")"
dpkg-deb --contents "$deb" | tee "$scratch/deb.list"
# Mode and path of each entry ("./opt/..." without the dot).
awk '{ path = $6; sub(/^\./, "", path); print $1, path }' "$scratch/deb.list" > "$scratch/deb.modes"
has() { grep -q "^$1 $2\$" "$scratch/deb.modes" || fail "$(basename "$deb") has no $2 with mode $1"; }
for f in "${program_files[@]}"; do
    case "$f" in
    Pylonix | start-pylonix) has -rwxr-xr-x "/opt/pylonix/$f" ;;
    *) has -rw-r--r-- "/opt/pylonix/$f" ;;
    esac
done
for f in "${menu_files[@]}"; do has -rw-r--r-- "/usr/share/$f"; done
has -rw-r--r-- /usr/share/doc/pylonix/copyright
grep -q ' \./usr/bin/pylonix -> /opt/pylonix/start-pylonix$' "$scratch/deb.list" ||
    fail "/usr/bin/pylonix is not a link to /opt/pylonix/start-pylonix"
echo "check-package: the program folder, the command, the menu entry and the icons are there"

section "Fields"
dpkg-deb --field "$deb" Package Version Architecture Depends Recommends | tee "$scratch/fields"
depends="$(sed -n 's/^Depends: //p' "$scratch/fields")"
recommends="$(sed -n 's/^Recommends: //p' "$scratch/fields")"
# A name in a list of packages, with or without a version after it.
listed() { [[ ", $2," == *", $1"[\ ,]* ]]; }
for p in libqt6widgets6 libqt6httpserver6 libqt6websockets6 libqrencode4 libjpeg62-turbo fonts-liberation libchm1; do
    listed "$p" "$depends" || fail "Depends lacks $p"
done
listed libreoffice-calc "$recommends" || fail "Recommends lacks libreoffice-calc"

root="$scratch/root"
dpkg-deb --extract "$deb" "$root"
for size in 48 256; do
    [[ $(png_size "$root/usr/share/icons/hicolor/${size}x${size}/apps/pylonix.png") == "${size}x${size}" ]] ||
        fail "the ${size} px icon is $(png_size "$root/usr/share/icons/hicolor/${size}x${size}/apps/pylonix.png")"
done
desktop-file-validate "$root/usr/share/applications/pylonix.desktop" || fail "the menu entry does not validate"
echo "check-package: menu entry valid, icons 48x48 and 256x256"

section "Libraries"
for f in Pylonix pylonix_sound.so pylonix_office.so; do
    ldd "$root/opt/pylonix/$f" > "$scratch/ldd" || fail "ldd $f"
    if grep -q "not found" "$scratch/ldd"; then
        grep "not found" "$scratch/ldd" >&2
        fail "$f needs a library that is not found"
    fi
    runpath="$(readelf -d "$root/opt/pylonix/$f" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p; s/.*(RPATH).*\[\(.*\)\]/\1/p')"
    echo "$f: run path ${runpath:-none}"
    # A search path into the build folder would find libraries only on this
    # machine; the office bridge's own folder is the one allowed.
    [[ -z $runpath || $runpath == /usr/lib/libreoffice/program ]] || fail "$f searches libraries in $runpath"
done

section "lintian"
lintian --fail-on error --display-info "$deb" | tee "$scratch/lintian" || fail "lintian reports errors"
echo "check-package: lintian: $(grep -c '^E:' "$scratch/lintian" || true) errors, $(grep -c '^W:' "$scratch/lintian" || true) warnings"

section "The program out of the Debian package's folder"
"$here/startcheck.sh" "$root/opt/pylonix" "$root/opt/pylonix/Pylonix"
"$here/startcheck.sh" --launcher "$root/opt/pylonix" "$root/opt/pylonix/start-pylonix"

section "Contents of $(basename "$tgz")"
mkdir "$scratch/portable"
tar -tvzf "$tgz"
tar -xzf "$tgz" -C "$scratch/portable"
folder="$scratch/portable/$(basename "$tgz" .tar.gz)"
[[ -d $folder ]] || fail "$(basename "$tgz") does not unpack into $(basename "$folder")"
for f in "${program_files[@]}" install-launcher.sh; do [[ -f $folder/$f ]] || fail "the portable folder has no $f"; done
for f in Pylonix start-pylonix install-launcher.sh; do [[ -x $folder/$f ]] || fail "$f is not executable"; done
for f in "${menu_files[@]}"; do [[ -f $folder/share/$f ]] || fail "the portable folder has no share/$f"; done
cmp -s "$folder/Pylonix" "$root/opt/pylonix/Pylonix" || fail "the two packages carry different programs"

section "The program out of the portable folder"
"$here/startcheck.sh" "$folder" "$folder/Pylonix"
"$here/startcheck.sh" --launcher "$folder" "$folder/start-pylonix"

section "install-launcher.sh"
user_home="$scratch/user"
mkdir -p "$user_home"
HOME="$user_home" XDG_DATA_HOME="" "$folder/install-launcher.sh"
entry="$user_home/.local/share/applications/pylonix.desktop"
desktop-file-validate "$entry" || fail "the user's menu entry does not validate"
grep -qxF "Exec=\"$folder/start-pylonix\"" "$entry" || fail "the user's menu entry does not start $folder/start-pylonix"
for f in "${menu_files[@]:1}"; do [[ -f $user_home/.local/share/$f ]] || fail "no $f for the user"; done
HOME="$user_home" XDG_DATA_HOME="" "$folder/install-launcher.sh" --remove > /dev/null
[[ -z $(find "$user_home" -type f) ]] || fail "install-launcher.sh --remove left $(find "$user_home" -type f)"
echo "check-package: install-launcher.sh adds a valid entry starting $folder/start-pylonix, and takes it away"

printf '\ncheck-package: all checks passed\n'
