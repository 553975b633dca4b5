#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs; quiet and quick when
# everything is already there. With --test also what only the test suite
# uses (LibreOffice Writer, which lays out the Word report in a test).
set -euo pipefail
packages=(
    build-essential cmake
    qtbase5-dev qtbase5-dev-tools qttranslations5-l10n qttools5-dev qttools5-dev-tools
    libminizip-dev libxlsxwriter-dev zlib1g-dev
    fonts-wqy-microhei
    poppler-utils python3-docx
    libfftw3-dev
    clang libclang-rt-14-dev
    dpkg-dev help2man desktop-file-utils appstream shared-mime-info xdg-utils libglib2.0-bin
)
test_packages=(
    libreoffice-writer-nogui
)
for arg in "$@"; do
    case "$arg" in
        --test) packages+=("${test_packages[@]}") ;;
        *) echo "usage: $0 [--test]" >&2; exit 2 ;;
    esac
done
missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
