#include "update/update_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "base/text.h"

namespace {

// A small but complete program image, laid out as the MinGW linker lays one out: DOS header,
// PE headers at 0x80, three sections (.text with the entry point, .data, .rsrc) at 0x1000
// steps in memory and 0x200 steps in the file.
struct Image {
    std::vector<uint8_t> bytes;
    size_t pe = 0x80;
    bool wide;

    explicit Image(ExeMachine machine) : wide(machine == ExeMachine::Amd64) {
        bytes.assign(0x400 + 3 * 0x200, 0);
        std::memcpy(&bytes[0], "MZ", 2);
        Put(0x3c, uint32_t(pe), 4);
        std::memcpy(&bytes[pe], "PE\0\0", 4);
        Put(pe + 4, uint16_t(machine), 2);
        Put(pe + 6, 3, 2);                        // sections
        Put(pe + 20, wide ? 240 : 224, 2);        // optional header with 16 directories
        Put(pe + 22, wide ? 0x0022 : 0x0102, 2);  // executable (+ large address / 32-bit)
        Put(Opt(0), wide ? 0x20b : 0x10b, 2);
        Put(Opt(16), 0x1010, 4);           // entry point, inside .text
        Put(Opt(32), 0x1000, 4);           // section alignment
        Put(Opt(36), 0x200, 4);            // file alignment
        Put(Opt(56), 0x4000, 4);           // size of image
        Put(Opt(60), 0x400, 4);            // size of headers
        Put(Opt(68), 2, 2);                // GUI
        Put(Opt(wide ? 108 : 92), 16, 4);  // directories
        for (int i = 0; i < 3; ++i) {      // unnamed: the names are not looked at
            size_t s = Section(i);
            Put(s + 8, 0x180, 4);               // virtual size
            Put(s + 12, 0x1000 * (i + 1), 4);   // virtual address
            Put(s + 16, 0x200, 4);              // raw size
            Put(s + 20, 0x400 + 0x200 * i, 4);  // raw pointer
        }
    }
    size_t Opt(size_t at) const { return pe + 24 + at; }
    size_t Section(int i) const { return Opt(wide ? 240 : 224) + 40 * i; }
    void Put(size_t at, uint32_t v, int size) {
        for (int i = 0; i < size; ++i) bytes[at + i] = uint8_t(v >> (8 * i));
    }
    ExeVerdict Check(ExeMachine machine) const {
        return CheckExecutable(bytes.data(), bytes.size(), bytes.size(), machine);
    }
};

}  // namespace

TEST(UpdateRules, InstallPathsAreWholeOrNothing) {
    char path[kInstallFileSize];
    ASSERT_TRUE(JoinInstallPath(path, sizeof path, "c:\\progra~1\\tamzo!", kProgramFile));
    EXPECT_STREQ("c:\\progra~1\\tamzo!\\Ticker.exe", path);

    std::string longest(259, 'd');  // the longest folder the settings store can give
    for (const char* name : {kProgramFile, kCompressedFile, kExpandedFile, kUpdaterFile,
                             kBackupFile, kUpdateLogFile}) {
        EXPECT_TRUE(JoinInstallPath(path, sizeof path, longest.c_str(), name)) << name;
        EXPECT_EQ(longest + name, path);
    }
    char small[12] = "untouched";
    EXPECT_FALSE(JoinInstallPath(small, sizeof small, "c:\\tamzo", kProgramFile));
    EXPECT_STREQ("", small);  // never a cut path
    EXPECT_TRUE(JoinInstallPath(small, sizeof small, "c:", "\\a.exe"));
    EXPECT_FALSE(JoinInstallPath(small, 0, "c:", "\\a.exe"));
    // Quoted for a command line: likewise whole or not at all.
    char command[kInstallFileSize + 2];
    EXPECT_TRUE(QuoteText(command, sizeof command, (longest + kUpdaterFile).c_str()));
    EXPECT_EQ('"' + longest + kUpdaterFile + '"', command);
    EXPECT_FALSE(QuoteText(small, sizeof small, "c:\\tamzo\\x"));  // 13 bytes quoted
    EXPECT_STREQ("", small);
}

TEST(UpdateRules, AProgramForTheOtherMachineIsRefused) {
    for (auto [built, wanted] : {std::pair{ExeMachine::Amd64, ExeMachine::I386},
                                 std::pair{ExeMachine::I386, ExeMachine::Amd64}}) {
        EXPECT_EQ(ExeVerdict::Ok, Image(built).Check(built));
        EXPECT_EQ(ExeVerdict::WrongMachine, Image(built).Check(wanted));
    }
}

// Offsets in the x86_64 image: the PE header, the optional header and the section table.
constexpr size_t kPe = 0x80, kOpt = kPe + 24, kSections = kOpt + 240;

TEST(UpdateRules, DamagedHeadersAreRefusedWithTheirReason) {
    using V = ExeVerdict;
    // What, where value is written, size bytes of it (0: the file cut to value), the verdict.
    const std::tuple<const char*, size_t, int, uint32_t, ExeVerdict> cases[] = {
        {"the other machine's optional header", kOpt, 2, 0x10b, V::BadOptionalHeader},
        {"no MZ", 0, 1, 'Z', V::NoDosHeader},
        {"PE offset inside the DOS header", 0x3c, 4, 0x20, V::BadHeaderOffset},
        {"PE offset past the file", 0x3c, 4, 0x7ffffff0, V::Truncated},
        {"PE offset that wraps", 0x3c, 4, 0xfffffff0u, V::Truncated},
        {"no PE signature", kPe + 1, 1, 'X', V::NoPeSignature},
        {"a DLL", kPe + 22, 2, 0x2022, V::NotAProgram},
        {"optional header too short", kPe + 20, 2, 100, V::BadOptionalHeader},
        {"optional header past the file", kPe + 20, 2, 0xfff0, V::Truncated},
        {"too many directories", kOpt + 108, 4, 17, V::BadOptionalHeader},
        {"a console program", kOpt + 68, 2, 3, V::NotGui},
        {"file alignment not a power of two", kOpt + 36, 4, 0x300, V::BadAlignment},
        {"file alignment too small", kOpt + 36, 4, 0x100, V::BadAlignment},
        {"section alignment below file alignment", kOpt + 32, 4, 0x100, V::BadAlignment},
        {"no sections", kPe + 6, 2, 0, V::BadSections},
        {"too many sections", kPe + 6, 2, 97, V::BadSections},
        {"headers smaller than the section table", kOpt + 60, 4, 0x100, V::BadSections},
        {"no entry point", kOpt + 16, 4, 0, V::BadEntryPoint},
        {"entry point between sections", kOpt + 16, 4, 0x1800, V::BadEntryPoint},
        {"sections out of order", kSections + 80 + 12, 4, 0x1000, V::BadSections},
        {"a section past the image", kSections + 80 + 12, 4, 0x3f00, V::BadSections},
        {"a section's data past the file", kSections + 40 + 20, 4, 0x900, V::Truncated},
        {"a section's data size that wraps", kSections + 40 + 16, 4, 0xffffff00u, V::Truncated},
        {"cut inside the section table", 0, 0, 0x1b0, V::Truncated},
        {"cut inside the DOS header", 0, 0, 40, V::TooSmall},
        // Data after the last section (a signature, a marker) does not matter.
        {"data after the sections", 0, 0, 0x400 + 3 * 0x200 + 777, V::Ok},
    };
    for (auto [what, at, size, value, verdict] : cases) {
        Image image(ExeMachine::Amd64);
        if (size == 0) image.bytes.resize(value, 0x5a);
        image.Put(at, value, size);
        EXPECT_EQ(verdict, image.Check(ExeMachine::Amd64)) << what;
        EXPECT_STRNE("", DescribeVerdict(verdict));
    }
    // Only the bytes read are looked at. The caller read the first 0x100 bytes of a whole
    // file: the section table lies beyond them, which says nothing about the file but is not
    // enough to accept it. A count larger than the file is held to the file.
    Image image(ExeMachine::Amd64);
    EXPECT_EQ(V::BadHeaderOffset,
              CheckExecutable(image.bytes.data(), 0x100, image.bytes.size(), ExeMachine::Amd64));
    EXPECT_EQ(V::TooSmall,
              CheckExecutable(image.bytes.data(), image.bytes.size(), 10, ExeMachine::Amd64));
    EXPECT_EQ(V::TooSmall, CheckExecutable(nullptr, 0, 0, ExeMachine::Amd64));
}

TEST(UpdateRules, EachListingIsActedOnOnceWhateverTheClocks) {
    // The check dates a new build with its listing time; the updater gives a build it keeps
    // (having refused or rolled back the new one) that listing time unless its own is later.
    const FileStamp installed{0x12345678u, 0x01d9a000u};
    const uint32_t hour = 0x86;  // 36e9 (an hour in 100 ns) >> 32, near enough
    for (uint32_t ahead : {4 * hour, 20u * 8766 * hour}) {  // hours, and twenty years, ahead
        const FileStamp listed{0x0000abcdu, installed.high + ahead};
        ASSERT_TRUE(ServerBuildIsNewer(listed, installed));
        EXPECT_FALSE(ServerBuildIsNewer(listed, listed)) << "installed: fetched again";
        const FileStamp kept = KeptBuildStamp(installed, listed);
        EXPECT_FALSE(ServerBuildIsNewer(listed, kept)) << "refused: fetched again";
        EXPECT_TRUE(ServerBuildIsNewer({listed.low + 1, listed.high}, kept)) << "a later one";
    }
    // Only the whole 64-bit time counts, and a listing without a date is never newer.
    EXPECT_TRUE(ServerBuildIsNewer({0, installed.high + 1}, installed));
    EXPECT_FALSE(ServerBuildIsNewer({0xffffffffu, installed.high - 1}, installed));
    EXPECT_FALSE(ServerBuildIsNewer({0, 0}, installed));
    const FileStamp older{0, installed.high - 1};
    const FileStamp kept = KeptBuildStamp(installed, older);  // never back in time
    EXPECT_EQ(installed.low, kept.low);
    EXPECT_EQ(installed.high, kept.high);
}
