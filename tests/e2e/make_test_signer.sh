#!/usr/bin/env bash
# A throwaway code-signing certificate for the hand-over test and the header that names
# its SHA-256 for the test's copy of the x86 program:  make_test_signer.sh DIR
# Writes DIR/signer.pem, DIR/signer.key and DIR/tamrin_signer.h.
set -euo pipefail
dir=$1
mkdir -p "$dir"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/signer.key" -out "$dir/signer.pem" -days 3650 \
  -subj "/CN=Tamrin hand-over test signer" \
  -addext keyUsage=critical,digitalSignature -addext extendedKeyUsage=codeSigning 2>/dev/null
thumbprint=$(openssl x509 -in "$dir/signer.pem" -outform DER | sha256sum | cut -c1-64)
printf '#define TAMRIN_SIGNER_THUMBPRINT "%s"\n' "$thumbprint" >"$dir/tamrin_signer.h.new"
mv "$dir/tamrin_signer.h.new" "$dir/tamrin_signer.h"
