// Checks a new build's signature with the system's cryptography: CryptoAPI's RSA and AES
// provider, RSA-2048 with SHA-256, against the public key built into the updater. Runs on the
// updater's one thread.
#pragma once
#include <windows.h>

#include "update/build_signature.h"

// The key id of the public key built into this program (see build_signature.h).
extern const uint8_t* const TrustedKeyId;

enum class SignatureCheck {
    Verified,    // the signature is the trusted key's, over exactly these bytes
    Mismatch,    // it is not: the bytes or the signature were changed
    NoCrypto,    // this system has no provider or algorithm to check it with
    Unreadable,  // the file could not be read
};

// Hashes the first signature.signedBytes bytes of file (read from its start) with SHA-256 and
// checks signature over them. *error receives the system's error code when not Verified.
SignatureCheck VerifyBuildSignature(HANDLE file, const BuildSignature& signature, DWORD* error);
