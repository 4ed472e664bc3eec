#include "update/build_signature.h"

#include <cstring>

namespace {

uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Whether the kSignatureFooterSize bytes ending at `end` (an offset into the file) lie within
// the tail and end with the magic.
bool MagicEndsAt(const uint8_t* tail, size_t count, uint64_t fileSize, uint64_t end) {
    const uint64_t tailStart = fileSize - count;
    if (end < tailStart + sizeof kSignatureMagic || end > fileSize) return false;
    const uint8_t* at = tail + (end - tailStart) - sizeof kSignatureMagic;
    return std::memcmp(at, kSignatureMagic, sizeof kSignatureMagic) == 0;
}

}  // namespace

SignatureVerdict ReadBuildSignature(const uint8_t* tail, size_t count, uint64_t fileSize,
                                    const uint8_t* trustedKeyId, BuildSignature* out) {
    if (count > fileSize) count = size_t(fileSize);
    if (count < kSignatureFooterSize || !MagicEndsAt(tail, count, fileSize, fileSize))
        return SignatureVerdict::Unsigned;
    const uint8_t* footer = tail + count - kSignatureFooterSize;
    if (U32(footer + kKeyIdSize + 4) != kSignatureVersion) return SignatureVerdict::UnknownVersion;
    // Version 1 knows one size only; any other is damage, however large it claims to be.
    if (U32(footer + kKeyIdSize) != kSignatureSize || count < kSignatureTrailerSize)
        return SignatureVerdict::Damaged;
    const uint64_t signedBytes = fileSize - kSignatureTrailerSize;
    // A signed file signed again: which of the two counts would be anyone's guess.
    if (MagicEndsAt(tail, count, fileSize, signedBytes)) return SignatureVerdict::SignedTwice;
    if (std::memcmp(footer, trustedKeyId, kKeyIdSize) != 0) return SignatureVerdict::UnknownKey;
    out->signedBytes = signedBytes;
    std::memcpy(out->signature, footer - kSignatureSize, kSignatureSize);
    return SignatureVerdict::Signed;
}

const char* DescribeSignatureVerdict(SignatureVerdict verdict) {
    switch (verdict) {
    case SignatureVerdict::Signed: return "signed with our key";
    case SignatureVerdict::Unsigned: return "it carries no signature";
    case SignatureVerdict::UnknownVersion: return "its signature is of an unknown kind";
    case SignatureVerdict::Damaged: return "its signature block is damaged";
    case SignatureVerdict::SignedTwice: return "it carries more than one signature";
    case SignatureVerdict::UnknownKey: return "it is signed with a key this updater does not trust";
    }
    return "unknown";
}
