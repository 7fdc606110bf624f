#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Quillmoor needs.
# Safe to run again: it does nothing when everything is already present.
set -euo pipefail

# fp-utils brings chmcmd, which compiles the help file from help/; nsis brings makensis, which
# builds the setup program QuillmoorSetup.exe; wixl (msitools) builds the Windows Installer packages
# Quillmoor-x86.msi and Quillmoor-x64.msi; osslsigncode signs what the build ships when it is given a
# certificate, and openssl makes the signing test's throwaway one.
# clang-format checks the layout of the sources in CI. fonts-wqy-microhei holds the Chinese and
# Japanese characters the translations show (Wine links the dialog fonts to it, as Windows does).
# python3 only redraws the pictures (src/resources/art/make_art.py); the build uses the committed files.
packages=(mingw-w64 fonts-wqy-microhei g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix cmake make wine wine32 wine64 xvfb xauth x11-utils imagemagick googletest fp-utils nsis wixl osslsigncode openssl python3 clang-format)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    missing+=("(i386 architecture)")
fi
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo dpkg --add-architecture i386
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
