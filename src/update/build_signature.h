// The signature that every build we publish carries, and the rules for reading it. The build
// signs Ticker.exe after linking (cmake/sign_build.py); the updater refuses any new build whose
// signature is missing, damaged, made with another key or does not verify. This file finds and
// reads the signature; checking it against the key is the system's cryptography
// (updater/signature_win.cpp).
//
// The signature travels inside the published file, as a trailer after the program's last byte,
// where the loader never looks:
//
//   signature  256 bytes  RSA-2048, PKCS #1 v1.5, over the SHA-256 of every byte before the
//                         trailer; most significant byte first, as OpenSSL writes it
//   key id       8 bytes  the first 8 bytes of the SHA-256 of the public key (DER)
//   size         4 bytes  the signature's size, little-endian (256)
//   version      4 bytes  the trailer's version, little-endian (1)
//   magic        8 bytes  kSignatureMagic
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t kSignatureSize = 256;
constexpr size_t kKeyIdSize = 8;
constexpr size_t kSignatureFooterSize = kKeyIdSize + 4 + 4 + 8;
constexpr size_t kSignatureTrailerSize = kSignatureSize + kSignatureFooterSize;
constexpr uint32_t kSignatureVersion = 1;
constexpr char kSignatureMagic[8] = {'\x89', 'T', 'S', 'I', 'G', '\r', '\n', '\x1a'};

// How much of the end of a file ReadBuildSignature wants to see: its trailer and room before
// it for a second one.
constexpr size_t kSignatureTailBytes = 2 * kSignatureTrailerSize;

enum class SignatureVerdict {
    Signed,          // one trailer, by the trusted key: worth checking with the key
    Unsigned,        // no trailer at the end
    UnknownVersion,  // a trailer of a kind this updater does not know
    Damaged,         // a trailer whose sizes do not add up
    SignedTwice,     // the signed bytes end with another trailer
    UnknownKey,      // signed with a key this updater does not trust
};

struct BuildSignature {
    uint64_t signedBytes;               // how many bytes from the start the signature covers
    uint8_t signature[kSignatureSize];  // as in the file, most significant byte first
};

// Reads the trailer of a file of fileSize bytes; tail holds its last count bytes (the caller
// reads min(fileSize, kSignatureTailBytes)). Reads nothing outside tail[0, count), whatever the
// bytes say. *out is filled only when the verdict is Signed.
SignatureVerdict ReadBuildSignature(const uint8_t* tail, size_t count, uint64_t fileSize,
                                    const uint8_t* trustedKeyId, BuildSignature* out);

// A short reason for the updater's log ("it carries no signature", ...).
const char* DescribeSignatureVerdict(SignatureVerdict verdict);
