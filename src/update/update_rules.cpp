#include "update/update_rules.h"

#include <cstring>

bool JoinInstallPath(char* dst, size_t size, const char* folder, const char* name) {
    if (size == 0) return false;
    const size_t a = std::strlen(folder), b = std::strlen(name);
    if (a + b + 1 > size) {
        dst[0] = 0;
        return false;
    }
    std::memcpy(dst, folder, a);
    std::memcpy(dst + a, name, b + 1);
    return true;
}

bool ServerBuildIsNewer(FileStamp server, FileStamp local) {
    const uint64_t s = (uint64_t{server.high} << 32) | server.low;
    const uint64_t l = (uint64_t{local.high} << 32) | local.low;
    return s > l;
}

FileStamp KeptBuildStamp(FileStamp installed, FileStamp listed) {
    return ServerBuildIsNewer(listed, installed) ? listed : installed;
}

namespace {

// Offsets of the few header fields we look at (the PE format's own layout).
constexpr size_t kDosHeaderSize = 64;
constexpr size_t kPeOffsetField = 0x3c;
constexpr size_t kFileHeaderSize = 4 + 20;  // signature and file header
constexpr uint16_t kExecutableImage = 0x0002;
constexpr uint16_t kDllImage = 0x2000;
constexpr uint16_t kPe32Magic = 0x10b;
constexpr uint16_t kPe32PlusMagic = 0x20b;
constexpr uint16_t kGuiSubsystem = 2;
constexpr size_t kSectionHeaderSize = 40;
constexpr unsigned kMaxSections = 96;
constexpr unsigned kMaxDirectories = 16;

struct HeaderReader {
    const uint8_t* data;
    size_t count;       // bytes we may read
    uint64_t fileSize;  // bytes the file has

    uint16_t U16(size_t at) const { return uint16_t(data[at] | data[at + 1] << 8); }
    uint32_t U32(size_t at) const { return uint32_t(U16(at)) | uint32_t(U16(at + 2)) << 16; }

    // Whether [0, end) may be read; otherwise why not.
    bool Has(uint64_t end, ExeVerdict* why) const {
        if (end <= count) return true;
        *why = end > fileSize ? ExeVerdict::Truncated : ExeVerdict::BadHeaderOffset;
        return false;
    }
};

bool PowerOfTwo(uint32_t v) { return v && !(v & (v - 1)); }

ExeVerdict CheckSections(const HeaderReader& r, size_t table, unsigned sections,
                         uint32_t sizeOfHeaders, uint32_t sizeOfImage, uint32_t entryPoint) {
    uint64_t previousEnd = 0;
    bool entryInside = false;
    for (unsigned i = 0; i < sections; ++i) {
        const size_t at = table + i * kSectionHeaderSize;
        const uint32_t virtualSize = r.U32(at + 8), address = r.U32(at + 12);
        const uint32_t rawSize = r.U32(at + 16), rawPointer = r.U32(at + 20);
        const uint64_t extent = virtualSize ? virtualSize : rawSize;
        if (address < previousEnd || address < sizeOfHeaders ||
            uint64_t{address} + extent > sizeOfImage)
            return ExeVerdict::BadSections;
        if (rawSize && uint64_t{rawPointer} + rawSize > r.fileSize) return ExeVerdict::Truncated;
        if (entryPoint >= address && entryPoint < address + extent) entryInside = true;
        previousEnd = address + extent;
    }
    return entryInside ? ExeVerdict::Ok : ExeVerdict::BadEntryPoint;
}

}  // namespace

ExeVerdict CheckExecutable(const uint8_t* headers, size_t count, uint64_t fileSize,
                           ExeMachine machine) {
    if (count > fileSize) count = size_t(fileSize);
    if (count < kDosHeaderSize) return ExeVerdict::TooSmall;
    const HeaderReader r{headers, count, fileSize};
    if (headers[0] != 'M' || headers[1] != 'Z') return ExeVerdict::NoDosHeader;

    ExeVerdict why = ExeVerdict::Ok;
    const uint32_t pe = r.U32(kPeOffsetField);
    if (pe < kDosHeaderSize) return ExeVerdict::BadHeaderOffset;
    if (!r.Has(uint64_t{pe} + kFileHeaderSize, &why)) return why;
    if (std::memcmp(headers + pe, "PE\0\0", 4) != 0) return ExeVerdict::NoPeSignature;
    if (r.U16(pe + 4) != static_cast<uint16_t>(machine)) return ExeVerdict::WrongMachine;
    const unsigned sections = r.U16(pe + 6);
    const size_t optionalSize = r.U16(pe + 20);
    const uint16_t characteristics = r.U16(pe + 22);
    if (!(characteristics & kExecutableImage) || (characteristics & kDllImage))
        return ExeVerdict::NotAProgram;

    // The optional header: PE32 for the 32-bit machine, PE32+ for the 64-bit one.
    const size_t opt = pe + kFileHeaderSize;
    if (!r.Has(uint64_t{opt} + optionalSize, &why)) return why;
    const bool wide = machine == ExeMachine::Amd64;
    const size_t fixedSize = wide ? 112 : 96;
    if (optionalSize < fixedSize || r.U16(opt) != (wide ? kPe32PlusMagic : kPe32Magic))
        return ExeVerdict::BadOptionalHeader;
    const uint32_t directories = r.U32(opt + fixedSize - 4);
    if (directories > kMaxDirectories || fixedSize + 8 * directories > optionalSize)
        return ExeVerdict::BadOptionalHeader;
    if (r.U16(opt + 68) != kGuiSubsystem) return ExeVerdict::NotGui;

    const uint32_t entryPoint = r.U32(opt + 16);
    const uint32_t sectionAlignment = r.U32(opt + 32), fileAlignment = r.U32(opt + 36);
    const uint32_t sizeOfImage = r.U32(opt + 56), sizeOfHeaders = r.U32(opt + 60);
    if (!PowerOfTwo(fileAlignment) || fileAlignment < 512 || fileAlignment > 65536 ||
        !PowerOfTwo(sectionAlignment) || sectionAlignment < fileAlignment)
        return ExeVerdict::BadAlignment;

    if (sections == 0 || sections > kMaxSections) return ExeVerdict::BadSections;
    const size_t table = opt + optionalSize;
    const uint64_t tableEnd = uint64_t{table} + sections * kSectionHeaderSize;
    if (!r.Has(tableEnd, &why)) return why;
    if (sizeOfHeaders < tableEnd) return ExeVerdict::BadSections;
    if (sizeOfHeaders > fileSize) return ExeVerdict::Truncated;
    if (entryPoint == 0 || entryPoint >= sizeOfImage) return ExeVerdict::BadEntryPoint;
    return CheckSections(r, table, sections, sizeOfHeaders, sizeOfImage, entryPoint);
}

const char* DescribeVerdict(ExeVerdict verdict) {
    switch (verdict) {
    case ExeVerdict::Ok: return "a Windows program for this machine";
    case ExeVerdict::TooSmall: return "too small to be a program";
    case ExeVerdict::NoDosHeader: return "not a Windows program (no MZ header)";
    case ExeVerdict::BadHeaderOffset: return "its PE header is not where the MZ header says";
    case ExeVerdict::NoPeSignature: return "not a Windows program (no PE signature)";
    case ExeVerdict::WrongMachine: return "built for another kind of processor";
    case ExeVerdict::NotAProgram: return "a library or object file, not a program";
    case ExeVerdict::BadOptionalHeader: return "its optional header is damaged";
    case ExeVerdict::NotGui: return "not a windowed (GUI) program";
    case ExeVerdict::BadAlignment: return "its alignments are damaged";
    case ExeVerdict::BadSections: return "its section table is damaged";
    case ExeVerdict::BadEntryPoint: return "its entry point lies outside its code";
    case ExeVerdict::Truncated: return "the file is cut short";
    }
    return "unknown";
}
