#!/usr/bin/env bash
# Signs the Update.exe of an update package, or the one in the Windows zip that scripts/dist.sh
# makes, with the vendor's code-signing certificate (PKCS#12), and verifies the signed program
# before it takes the unsigned one's place; a signature already there is replaced. Windows'
# elevation prompt then names the certificate's holder as the publisher. Needs Debian's
# osslsigncode, and zip and unzip for an archive.
#
#   sign-update.sh PACKAGE_DIR|ARCHIVE.zip CERTIFICATE.p12 [--password-file FILE]
#                  [--timestamp URL] [--ca-file PEM] [--description TEXT] [--url URL]
#
#   --password-file  the certificate's password, first line of FILE (none: no password)
#   --timestamp      an RFC 3161 time-stamping server: the signature then stays good after the
#                    certificate expires; without one it is good only as long as the certificate
#   --ca-file        the authorities to verify against (default: the system's trusted ones)
#   --description, --url   shown by Windows beside the signature
set -euo pipefail

usage() {
  sed -n '8,15s/^# \{0,1\}//p' "$0" >&2
  exit 2
}
[ $# -ge 2 ] || usage
target=$1 certificate=$2
shift 2
sign_options=() verify_options=()
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || usage
  case "$1" in
    --password-file) sign_options+=(-readpass "$2") ;;
    --timestamp) sign_options+=(-ts "$2") ;;
    --ca-file) verify_options+=(-CAfile "$2") ;;
    --description) sign_options+=(-n "$2") ;;
    --url) sign_options+=(-i "$2") ;;
    *) usage ;;
  esac
  shift 2
done
[ -f "$certificate" ] || { echo "sign-update.sh: $certificate: no such certificate file" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -d "$target" ]; then
  program=$target/Update.exe
  [ -f "$program" ] || { echo "sign-update.sh: $target holds no Update.exe" >&2; exit 2; }
  cp "$program" "$work/Update.exe"
elif [ -f "$target" ] && [ "${target##*.}" = zip ]; then
  member=$(unzip -Z1 "$target" | grep -m1 -E '(^|/)Update\.exe$') ||
    { echo "sign-update.sh: $target holds no Update.exe" >&2; exit 2; }
  unzip -p "$target" "$member" >"$work/Update.exe"
else
  echo "sign-update.sh: $target is neither a package folder nor a .zip" >&2
  exit 2
fi

# osslsigncode replaces a signature that is there already (only -nest would add one).
if ! osslsigncode sign -pkcs12 "$certificate" -h sha256 "${sign_options[@]}" -in "$work/Update.exe" -out "$work/signed.exe" \
    >"$work/sign.log" 2>&1; then
  cat "$work/sign.log" >&2
  echo "sign-update.sh: signing failed; $target is as it was" >&2
  exit 1
fi
if ! osslsigncode verify "${verify_options[@]}" -in "$work/signed.exe" >"$work/verify.log" 2>&1; then
  cat "$work/verify.log" >&2
  echo "sign-update.sh: the signed program does not verify; $target is as it was" >&2
  exit 1
fi

if [ -d "$target" ]; then
  cp "$work/signed.exe" "$target/.Update.exe.signed"
  mv -f "$target/.Update.exe.signed" "$program"
else
  mkdir -p "$work/archive/$(dirname "$member")"
  cp "$work/signed.exe" "$work/archive/$member"
  archive=$(cd "$(dirname "$target")" && pwd)/$(basename "$target")
  (cd "$work/archive" && zip -q "$archive" "$member")
fi
echo "sign-update.sh: signed and verified the Update.exe of $target"
grep -m1 -i 'subject' "$work/verify.log" | sed 's/^[[:space:]]*/    /' || true
