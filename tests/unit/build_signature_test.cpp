#include "update/build_signature.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <tuple>
#include <vector>

namespace {

const uint8_t kOurKey[kKeyIdSize] = {1, 2, 3, 4, 5, 6, 7, 8};

void Put32(std::vector<uint8_t>& bytes, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(v >> (8 * i)));
}

// `body` followed by a trailer as the build writes one.
std::vector<uint8_t> Signed(std::vector<uint8_t> body, const uint8_t* key = kOurKey,
                            uint32_t size = kSignatureSize, uint32_t version = 1) {
    for (size_t i = 0; i < kSignatureSize; ++i) body.push_back(uint8_t(i * 7));
    body.insert(body.end(), key, key + kKeyIdSize);
    Put32(body, size);
    Put32(body, version);
    body.insert(body.end(), kSignatureMagic, kSignatureMagic + sizeof kSignatureMagic);
    return body;
}

// Reads the signature of a whole file the way the updater does: from its last bytes only.
SignatureVerdict Read(const std::vector<uint8_t>& file, BuildSignature* out) {
    const size_t count = file.size() < kSignatureTailBytes ? file.size() : kSignatureTailBytes;
    // A copy of just the tail, so that reading before it would be caught by the sanitizers.
    std::vector<uint8_t> tail(file.end() - count, file.end());
    return ReadBuildSignature(tail.data(), count, file.size(), kOurKey, out);
}

}  // namespace

TEST(BuildSignature, HostileTrailersAreRefusedWithTheirReason) {
    using V = SignatureVerdict;
    const std::vector<uint8_t> body(3000, 'x');
    std::vector<uint8_t> badMagic = Signed(body);
    badMagic.back() ^= 1;
    const std::vector<uint8_t> whole = Signed(body);
    const std::vector<uint8_t> footerOnly(whole.end() - kSignatureFooterSize, whole.end());
    const std::tuple<const char*, std::vector<uint8_t>, SignatureVerdict> cases[] = {
        {"empty", {}, V::Unsigned},
        {"no trailer", body, V::Unsigned},
        {"wrong magic", badMagic, V::Unsigned},
        {"unknown version", Signed(body, kOurKey, kSignatureSize, 2), V::UnknownVersion},
        {"huge signature size", Signed(body, kOurKey, 0xffffffffu), V::Damaged},
        {"zero signature size", Signed(body, kOurKey, 0), V::Damaged},
        {"a footer and nothing else", footerOnly, V::Damaged},
        {"signed twice", Signed(Signed(body)), V::SignedTwice},
    };
    for (const auto& [what, file, verdict] : cases) {
        BuildSignature signature;
        EXPECT_EQ(verdict, Read(file, &signature)) << what;
        EXPECT_STRNE("", DescribeSignatureVerdict(verdict));
    }
}

TEST(BuildSignature, OnlyTheTailGivenIsRead) {
    const std::vector<uint8_t> file = Signed(std::vector<uint8_t>(1000, 'x'));
    BuildSignature signature;
    // Less than a whole trailer seen: the footer alone proves nothing.
    EXPECT_EQ(SignatureVerdict::Damaged,
              ReadBuildSignature(&file[file.size() - kSignatureFooterSize], kSignatureFooterSize,
                                 file.size(), kOurKey, &signature));
    // A count larger than the file is held to the file.
    EXPECT_EQ(SignatureVerdict::Unsigned,
              ReadBuildSignature(file.data(), file.size(), 10, kOurKey, &signature));
    // Exactly the trailer, with nothing before it to sign: signed, over no bytes, which no
    // check of the program will take.
    const std::vector<uint8_t> bare = Signed({});
    ASSERT_EQ(SignatureVerdict::Signed, Read(bare, &signature));
    EXPECT_EQ(0u, signature.signedBytes);
}
