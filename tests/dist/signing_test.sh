#!/usr/bin/env bash
# Signing as a vendor does it, with what the archives ship: the tarball's patchkit makes the
# worked example's package with the zip's Update.exe and finds it unsigned; the tarball's
# sign-update.sh signs it with a throwaway certificate made here by openssl (no time-stamping
# server: nothing leaves the machine); then check names the signer, osslsigncode verifies it,
# and the signed program still passes the image check, carries the same resources and is, to
# scripts/verify-update.sh, the built program but for its signature. A signature that does not
# verify changes nothing, and the zip's own Update.exe is signed in place.
#
#   signing_test.sh DIST_DIR SOURCE_DIR
set -euo pipefail
dist=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
version=$(sed -n 's/^project(updater VERSION \([0-9.]*\) .*/\1/p' "$source_dir/CMakeLists.txt")
windows=updater-$version-windows-x86
linux=updater-$version-linux-x86_64
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
has() {  # TEXT WHAT
  grep -qF -- "$2" <<<"$1" || fail "expected \"$2\" in: $1"
}

tar xzf "$dist/$linux.tar.gz"
unzip -q "$dist/$windows.zip"
patchkit=$work/$linux/patchkit
sign=$work/$linux/sign-update.sh
examples=$work/$linux/tools/patchkit/examples

signer="Example Maker Test Signing"
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out certificate.pem -days 2 -subj "/O=Example Maker/CN=$signer" \
  -addext "extendedKeyUsage=codeSigning" 2>/dev/null
echo "throwaway password" >password
openssl pkcs12 -export -inkey key.pem -in certificate.pem -out certificate.p12 -passout file:password

"$patchkit" make --since "$examples/tree-1.0" "$examples/description.json" "$examples/tree-1.1" package \
  --updater "$windows/Update.exe" >/dev/null
has "$("$patchkit" check package || true)" "warning: package/Update.exe: carries no Authenticode signature"
cp package/Update.exe unsigned.exe

# Verified against the system's authorities alone, the throwaway certificate is refused, and
# the package keeps its program as it was.
"$sign" package certificate.p12 --password-file password >refused.log 2>&1 && fail "a signature that does not verify was taken"
cmp -s package/Update.exe unsigned.exe || fail "a refused signing changed package/Update.exe"

"$sign" package certificate.p12 --password-file password --ca-file certificate.pem >/dev/null || fail "signing the package failed"
checked=$("$patchkit" check package) || fail "check of the signed package: $checked"
has "$checked" "note: package/Update.exe: is signed by \"$signer\""
has "$checked" "package: 0 errors, 0 warnings"
osslsigncode verify -CAfile certificate.pem -in package/Update.exe >verify.log 2>&1 || fail "osslsigncode verify: $(cat verify.log)"
bash "$source_dir/tests/pe/check_system_imports.sh" package/Update.exe >/dev/null || fail "the signed Update.exe fails the image check"
for image in unsigned.exe package/Update.exe; do
  i686-w64-mingw32-objcopy -O binary --only-section=.rsrc "$image" "$image.rsrc"
done
[ -s unsigned.exe.rsrc ] && cmp -s unsigned.exe.rsrc package/Update.exe.rsrc || fail "the signed Update.exe carries other resources"
# The signed program is the built one but for its signature; with one byte more changed, or
# against a build 8 bytes shorter, it is not.
verify() { bash "$source_dir/scripts/verify-update.sh" "$@" >/dev/null; }
verify package/Update.exe unsigned.exe || fail "verify-update.sh refuses the signed build"
cp package/Update.exe changed.exe
printf 'X' | dd of=changed.exe bs=1 seek=1024 conv=notrunc status=none
head -c -8 unsigned.exe >short.exe
verify changed.exe unsigned.exe && fail "verify-update.sh takes a changed program for the build"
verify package/Update.exe short.exe && fail "verify-update.sh takes the signed program for a shorter build"

cp "$dist/$windows.zip" archive.zip
"$sign" archive.zip certificate.p12 --password-file password --ca-file certificate.pem >/dev/null || fail "signing the zip failed"
[ "$(unzip -Z1 archive.zip | LC_ALL=C sort)" = "$(unzip -Z1 "$dist/$windows.zip" | LC_ALL=C sort)" ] || fail "signing the zip changed its listing"
unzip -p archive.zip "$windows/Update.exe" >from-archive.exe
osslsigncode verify -CAfile certificate.pem -in from-archive.exe >/dev/null 2>&1 || fail "the zip's Update.exe does not verify"

[ "$failures" -eq 0 ] || exit 1
echo "signing: $(osslsigncode --version 2>&1 | head -1 | cut -d, -f1) signed and verified Update.exe in a package and in the zip"
