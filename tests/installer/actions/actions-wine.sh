#!/usr/bin/env bash
# The installer's actions against the real system, in a Wine prefix of their
# own: runs the action tests, waits until the prefix has written its registry,
# and finds the certificate of this run in the local machine's
# trusted-publisher store there.
#
# usage: actions-wine.sh <wine-run.sh> <stub-actions-tests.exe> <test MSI dir> <work dir> [gtest args...]
set -euo pipefail
wine_run=$1 exe=$2 msi_dir=$3 work=$4
shift 4
mkdir -p "$work"
export TARN_WINEPREFIX=$work/wineprefix

# A certificate of its own for every run: one an earlier run left in the store cannot pass the check.
subject="/CN=Tarnvale Actions Test $$ $(date +%s%N)"
openssl req -x509 -newkey rsa:2048 -nodes -subj "$subject" -days 30 \
  -keyout "$work/cert-key.pem" -out "$work/cert.pem" 2>/dev/null
openssl x509 -in "$work/cert.pem" -outform DER -out "$work/cert.der"
thumbprint=$(openssl x509 -in "$work/cert.pem" -noout -fingerprint -sha1 | sed 's/.*=//; s/://g')

TARN_ACTIONS_MSI_DIR=$msi_dir TARN_ACTIONS_CERT=$work/cert.der "$wine_run" "$exe" "$@"

# The registry reaches system.reg when the prefix's server has nothing left to run.
WINEPREFIX=$TARN_WINEPREFIX wineserver -w
key="[Software\\\\Microsoft\\\\SystemCertificates\\\\TrustedPublisher\\\\Certificates\\\\$thumbprint]"
if ! grep -qiF "$key" "$TARN_WINEPREFIX/system.reg"; then
  echo "FAILED: certificate $thumbprint is not in the local machine's TrustedPublisher store" >&2
  grep -i 'TrustedPublisher' "$TARN_WINEPREFIX/system.reg" >&2 || true
  exit 1
fi
echo "certificate $thumbprint is in the local machine's TrustedPublisher store"
