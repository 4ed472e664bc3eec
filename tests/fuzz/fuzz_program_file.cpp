// libFuzzer target: any file offered as a new build, through the updater's checks of it: the
// program-file check over its start and the signature reader over its end, each given exactly
// the bytes the updater reads, in a heap block of that size so AddressSanitizer sees any read
// past it. The first input byte picks the machine (bit 0) and a stretch of the file that lies
// between the two reads (bits 1-7, 32 KB each); the rest is the file.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "update/build_signature.h"
#include "update/update_rules.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

const uint8_t kTrustedKeyId[kKeyIdSize] = {'f', 'u', 'z', 'z', '-', 'k', 'e', 'y'};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const ExeMachine machine = data[0] & 1 ? ExeMachine::Amd64 : ExeMachine::I386;
    const uint8_t* file = data + 1;
    const size_t length = size - 1;
    const uint64_t fileSize = length + (uint64_t{data[0]} >> 1) * 32768;

    const size_t headCount = length < kExeHeaderBytes ? length : kExeHeaderBytes;
    std::vector<uint8_t> head(file, file + headCount);
    const ExeVerdict verdict = CheckExecutable(head.data(), head.size(), fileSize, machine);
    Check(DescribeVerdict(verdict) != nullptr);
    Check(verdict != ExeVerdict::Ok || headCount >= 64);

    const size_t tailCount = length < kSignatureTailBytes ? length : kSignatureTailBytes;
    std::vector<uint8_t> tail(file + length - tailCount, file + length);
    BuildSignature signature;
    std::memset(&signature, 0xA5, sizeof signature);
    const SignatureVerdict read =
        ReadBuildSignature(tail.data(), tail.size(), fileSize, kTrustedKeyId, &signature);
    Check(DescribeSignatureVerdict(read) != nullptr);
    if (read == SignatureVerdict::Signed) {
        Check(signature.signedBytes + kSignatureTrailerSize == fileSize);
        Check(std::memcmp(signature.signature, tail.data() + tailCount - kSignatureTrailerSize,
                          kSignatureSize) == 0);
    }
    return 0;
}
