#!/usr/bin/env python3
"""Signs ticker builds, and gives the updater the public half of the signing key.

    sign_build.py new-key KEY.pem            a new RSA-2048 key, readable by its owner only
    sign_build.py key-header KEY.pem OUT.h   the public key as the updater's trusted_key.h
    sign_build.py sign KEY.pem FILE [OUT]    FILE with its signature trailer (into OUT, or in
                                             place); a trailer already there is replaced

All cryptography is OpenSSL's (the `openssl` command); this script only moves bytes. The
trailer's layout is the one src/update/build_signature.h reads: the RSA-2048 PKCS #1 v1.5
signature over the SHA-256 of every byte before it (as OpenSSL writes it), the key id (the
first 8 bytes of the SHA-256 of the public key in DER), the signature's size and the version
(both 32-bit little-endian) and the magic.
"""
import hashlib
import os
import re
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

MAGIC = b"\x89TSIG\r\n\x1a"
VERSION = 1
SIGNATURE_SIZE = 256
FOOTER = struct.Struct("<8sII8s")  # key id, signature size, version, magic
TRAILER_SIZE = SIGNATURE_SIZE + FOOTER.size


def openssl(*args, data=None):
    return subprocess.run(["openssl", *args], input=data, capture_output=True,
                          check=True).stdout


def public_der(key):
    return openssl("pkey", "-in", str(key), "-pubout", "-outform", "DER")


def key_id(key):
    return hashlib.sha256(public_der(key)).digest()[:8]


def unsigned_part(data):
    """The bytes a trailer at the end of data signs, or data itself when it has none."""
    if len(data) >= TRAILER_SIZE and data.endswith(MAGIC):
        _, size, version, _ = FOOTER.unpack(data[-FOOTER.size:])
        if size == SIGNATURE_SIZE and version == VERSION:
            return data[:-TRAILER_SIZE]
    return data


def sign(key, source, target):
    data = unsigned_part(Path(source).read_bytes())
    signature = openssl("dgst", "-sha256", "-sign", str(key), data=data)
    if len(signature) != SIGNATURE_SIZE:
        sys.exit(f"{key}: not an RSA-2048 key (a {len(signature)}-byte signature)")
    footer = FOOTER.pack(key_id(key), SIGNATURE_SIZE, VERSION, MAGIC)
    # Written beside the target and renamed: a build interrupted here leaves no half-signed file.
    target = Path(target)
    with tempfile.NamedTemporaryFile(dir=target.parent, delete=False) as out:
        out.write(data + signature + footer)
    os.chmod(out.name, Path(source).stat().st_mode & 0o777)
    os.replace(out.name, target)


def key_header(key, out):
    """The public key as a CryptoAPI PUBLICKEYBLOB: BLOBHEADER (PUBLICKEYBLOB, version 2,
    CALG_RSA_SIGN), RSAPUBKEY ("RSA1", bits, exponent) and the modulus, least significant byte
    first."""
    text = openssl("pkey", "-pubin", "-inform", "DER", "-noout", "-text_pub",
                   data=public_der(key)).decode()
    modulus_text = re.search(r"Modulus:\s*([0-9a-f:\s]+)Exponent", text).group(1)
    modulus = bytes.fromhex(re.sub(r"[:\s]", "", modulus_text)).lstrip(b"\0")
    exponent = int(re.search(r"Exponent: (\d+)", text).group(1))
    if len(modulus) != SIGNATURE_SIZE:
        sys.exit(f"{key}: not an RSA-2048 key")
    blob = struct.pack("<BBHI4sII", 6, 2, 0, 0x2400, b"RSA1", 8 * len(modulus), exponent)
    blob += modulus[::-1]

    def array(name, data):
        rows = [", ".join(f"0x{b:02x}" for b in data[i:i + 12]) for i in range(0, len(data), 12)]
        return f"constexpr unsigned char {name}[] = {{\n    " + ",\n    ".join(rows) + "};\n"

    Path(out).parent.mkdir(parents=True, exist_ok=True)
    Path(out).write_text("// Made by cmake/sign_build.py from the public half of the signing "
                         "key. Do not edit.\n#pragma once\n\n" + array("kTrustedKeyBlob", blob)
                         + array("kTrustedKeyId", key_id(key)))


def new_key(key):
    key = Path(key)
    key.parent.mkdir(parents=True, exist_ok=True)
    old = os.umask(0o077)
    try:
        openssl("genpkey", "-algorithm", "RSA", "-pkeyopt", "rsa_keygen_bits:2048",
                "-out", str(key))
    finally:
        os.umask(old)


def main(argv):
    if len(argv) >= 2 and argv[0] == "new-key":
        new_key(argv[1])
    elif len(argv) >= 3 and argv[0] == "key-header":
        key_header(argv[1], argv[2])
    elif len(argv) >= 3 and argv[0] == "sign":
        sign(argv[1], argv[2], argv[3] if len(argv) > 3 else argv[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
