#!/bin/bash
# Installs the Debian package on a clean Debian 12 and starts it there as an
# operator would: a new user runs the command `pylonix` (offscreen, under the
# scripted operator of startcheck.sh), which must write the day's backup to
# ~/Pylonix. Needs root.
#
#   chroot-check.sh DEB DIR
#
# DIR is made with debootstrap (minbase) when it holds no system yet; it is
# kept for the next run, and a package installed there by an earlier run is
# removed first so that apt-get installs it anew.
set -euo pipefail

deb="$(readlink -f "$1")"
dir="$2"
here="$(dirname "$(readlink -f "$0")")"
user=operator1

fail() {
    echo "chroot-check: FAILED: $*" >&2
    exit 1
}
in_root() { chroot "$dir" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }

[[ $EUID -eq 0 ]] || fail "needs root (debootstrap, chroot)"
if [[ ! -f $dir/etc/debian_version ]]; then
    debootstrap --variant=minbase bookworm "$dir" http://deb.debian.org/debian
    cat > "$dir/etc/apt/sources.list" << 'EOF'
deb http://deb.debian.org/debian bookworm main
deb http://deb.debian.org/debian bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
EOF
fi
cp /etc/resolv.conf "$dir/etc/resolv.conf"
if ! mountpoint -q "$dir/proc"; then
    mount -t proc proc "$dir/proc"
    trap 'umount "$dir/proc"' EXIT
fi
echo "chroot-check: Debian $(cat "$dir/etc/debian_version") in $dir"

in_root apt-get update -qq
if in_root dpkg-query -W pylonix > /dev/null 2>&1; then
    in_root apt-get purge -y -qq pylonix > /dev/null
fi
cp "$deb" "$dir/tmp/"
cp "$here/startcheck.sh" "$dir/tmp/startcheck.sh"
echo "chroot-check: apt-get install ./$(basename "$deb") (full output in $dir/tmp/install.log)"
in_root sh -c "cd /tmp && DEBIAN_FRONTEND=noninteractive apt-get install -y ./$(basename "$deb")" \
    > "$dir/tmp/install.log" 2>&1 || { tail -n 30 "$dir/tmp/install.log"; fail "apt-get install failed"; }
grep -E '^([0-9]+ upgraded|Setting up pylonix)' "$dir/tmp/install.log"
in_root dpkg-query -W pylonix || fail "apt-get did not install the package"

# A fresh operator: no ~/Pylonix, no settings.
if in_root id "$user" > /dev/null 2>&1; then in_root userdel -r "$user" 2> /dev/null || true; fi
in_root useradd -m -s /bin/bash "$user"
in_root su - "$user" -c "command -v pylonix && bash /tmp/startcheck.sh --launcher --own-home /opt/pylonix pylonix" ||
    fail "the program did not start or write its backup as $user"
echo "chroot-check: ~$user/Pylonix after the run:"
in_root ls -l "/home/$user/Pylonix"
in_root sh -c "cat /home/$user/Pylonix/Sicherung_*.txt"
