# Sourced by the set-up and package scripts: the Debian packages the build
# and the tests need (clang and its runtime for the fuzz targets and
# ThreadSanitizer), and a function that installs those of a list that are missing.

PACKAGES=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-multimedia-dev libqt6test6 libqt6svg6 qt6-translations-l10n
    libgtest-dev libgmock-dev
    libjpeg-dev
    qt6-httpserver-dev qt6-websockets-dev libqrencode-dev
    chromium
    libchm1 libchm-dev fp-utils
    fonts-liberation
    xvfb xauth
    libreoffice-calc libreoffice-dev python3-openpyxl
    clang libclang-rt-14-dev xxd
)

install_missing() {
    local missing=() p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        local SUDO=""
        if [[ $EUID -ne 0 ]]; then SUDO="sudo"; fi
        export DEBIAN_FRONTEND=noninteractive
        $SUDO apt-get update -qq
        $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}
