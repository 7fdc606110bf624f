#!/usr/bin/env bash
# The signing hook (cmake/Signing.cmake, cmake/SignFile.cmake) with a throwaway certificate made
# here by openssl, inside the build folder:
#   1. a build step made through the hook, with the certificate given in the environment, signs
#      its file; the same step without one leaves it unsigned, byte for byte;
#   2. the hook signs each kind of file the build ships (the program, the log component, the setup
#      and the packages), and osslsigncode verifies each signature against that certificate;
#   3. what this build shipped is signed exactly when the build was given a certificate.
# Usage (ctest): signing_test.sh <build folder> <osslsigncode> <the build's certificate or "">
set -euo pipefail
build=$1
osslsigncode=$2
configured=$3
root=$(cd "$(dirname "$0")/../.." && pwd)

fail() {
    echo "FAILED: $*" >&2
    exit 1
}
# osslsigncode writes no output file over an existing one.
signed() {
    rm -f "$work/extracted.p7"
    "$osslsigncode" extract-signature -in "$1" -out "$work/extracted.p7" >/dev/null 2>&1
}
signer() {
    rm -f "$work/signer.pem"
    "$osslsigncode" extract-signature -pem -in "$1" -out "$work/signer.pem" >/dev/null 2>&1 &&
        openssl pkcs7 -in "$work/signer.pem" -print_certs -noout | sed -n 's/^subject=//p' | head -n 1
}

work=$build/signing-test
rm -rf "$work"
mkdir -p "$work"
subject="Quillmoor signing test $$"
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -subj "/CN=$subject" -keyout "$work/key.pem" \
    -out "$work/cert.pem" >/dev/null 2>&1 || fail "openssl made no test certificate"

shipped=("$build/dist/Quillmoor.exe" "$build/dist/Logwright.dll" "$build/QuillmoorSetup.exe" "$build/Quillmoor-x86.msi")
[ -f "$build/Quillmoor-x64.msi" ] && shipped+=("$build/Quillmoor-x64.msi")
for file in "${shipped[@]}"; do [ -f "$file" ] || fail "no $file"; done

# 1. The hook inside a build: a step that makes a package, as the build's own steps do.
mkdir -p "$work/project"
cat >"$work/project/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.20)
project(SigningHook NONE)
include($root/cmake/Signing.cmake)
set(package \${CMAKE_BINARY_DIR}/Quillmoor-x86.msi)
qm_sign_command(sign \${package})
add_custom_command(OUTPUT \${package} COMMAND \${CMAKE_COMMAND} -E copy $build/Quillmoor-x86.msi \${package} \${sign})
add_custom_target(package ALL DEPENDS \${package})
EOF
for kind in with without; do
    (
        if [ $kind = with ]; then export QM_SIGN_CERT=$work/cert.pem QM_SIGN_KEY=$work/key.pem; else unset QM_SIGN_CERT QM_SIGN_KEY; fi
        cmake -S "$work/project" -B "$work/$kind" >/dev/null && cmake --build "$work/$kind" >/dev/null
    ) || fail "the build $kind a certificate failed"
done
[ "$(signer "$work/with/Quillmoor-x86.msi")" = "CN = $subject" ] || fail "the build given a certificate did not sign"
cmp -s "$build/Quillmoor-x86.msi" "$work/without/Quillmoor-x86.msi" || fail "the build without a certificate changed the file"

# 2. Every kind of shipped file, signed by the hook and verified.
for file in "${shipped[@]}"; do
    copy=$work/$(basename "$file")
    cp "$file" "$copy"
    cmake -DOSSLSIGNCODE="$osslsigncode" -DCERT="$work/cert.pem" -DKEY="$work/key.pem" -DFILE="$copy" \
        -P "$root/cmake/SignFile.cmake" >/dev/null || fail "the hook could not sign $(basename "$file")"
    "$osslsigncode" verify -CAfile "$work/cert.pem" -in "$copy" >"$work/verify.txt" 2>&1 ||
        fail "$(basename "$file") does not verify: $(tail -n 3 "$work/verify.txt")"
    [ "$(signer "$copy")" = "CN = $subject" ] || fail "$(basename "$file") is not signed by the test certificate"
done
# A file the hook cannot sign fails the step and stays as it was.
echo "no program" >"$work/plain.txt"
! cmake -DOSSLSIGNCODE="$osslsigncode" -DCERT="$work/cert.pem" -DKEY="$work/key.pem" -DFILE="$work/plain.txt" \
    -P "$root/cmake/SignFile.cmake" >/dev/null 2>&1 || fail "signing a text file did not fail"
[ "$(cat "$work/plain.txt")" = "no program" ] && [ ! -e "$work/plain.txt.signed" ] || fail "a failed signing left changes"

# 3. This build's own files.
for file in "${shipped[@]}"; do
    if [ -n "$configured" ]; then
        signed "$file" || fail "$(basename "$file") is unsigned although the build was given $configured"
    else
        ! signed "$file" || fail "$(basename "$file") is signed although the build was given no certificate"
    fi
done
rm -rf "$work"
echo "signing: the hook signs when given a certificate and only then"
