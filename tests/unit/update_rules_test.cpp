#include "update/update_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
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
        bytes[0] = 'M';
        bytes[1] = 'Z';
        Put32(0x3c, uint32_t(pe));
        std::memcpy(&bytes[pe], "PE\0\0", 4);
        Put16(pe + 4, uint16_t(machine));
        Put16(pe + 6, 3);                        // sections
        Put16(pe + 20, wide ? 240 : 224);        // optional header with 16 directories
        Put16(pe + 22, wide ? 0x0022 : 0x0102);  // executable (+ large address / 32-bit)
        Put16(Opt(0), wide ? 0x20b : 0x10b);
        Put32(Opt(16), 0x1010);           // entry point, inside .text
        Put32(Opt(32), 0x1000);           // section alignment
        Put32(Opt(36), 0x200);            // file alignment
        Put32(Opt(56), 0x4000);           // size of image
        Put32(Opt(60), 0x400);            // size of headers
        Put16(Opt(68), 2);                // GUI
        Put32(Opt(wide ? 108 : 92), 16);  // directories
        const char* names[] = {".text", ".data", ".rsrc"};
        for (int i = 0; i < 3; ++i) {
            size_t s = Section(i);
            std::memcpy(&bytes[s], names[i], std::strlen(names[i]));
            Put32(s + 8, 0x180);               // virtual size
            Put32(s + 12, 0x1000 * (i + 1));   // virtual address
            Put32(s + 16, 0x200);              // raw size
            Put32(s + 20, 0x400 + 0x200 * i);  // raw pointer
        }
    }
    size_t Opt(size_t at) const { return pe + 24 + at; }
    size_t Section(int i) const { return Opt(wide ? 240 : 224) + 40 * i; }
    void Put(size_t at, uint32_t v, int size) {
        for (int i = 0; i < size; ++i) bytes[at + i] = uint8_t(v >> (8 * i));
    }
    void Put16(size_t at, uint16_t v) { Put(at, v, 2); }
    void Put32(size_t at, uint32_t v) { Put(at, v, 4); }
    ExeVerdict Check(ExeMachine machine) const {
        return CheckExecutable(bytes.data(), bytes.size(), bytes.size(), machine);
    }
};

}  // namespace

TEST(UpdateRules, OnlyAStrictlyLaterServerTimeIsNewer) {
    const FileStamp local{0x80000000u, 0x01d9a000u};
    EXPECT_FALSE(ServerBuildIsNewer(local, local));  // equal: no update
    EXPECT_TRUE(ServerBuildIsNewer({0x80000001u, 0x01d9a000u}, local));
    EXPECT_TRUE(ServerBuildIsNewer({0x00000000u, 0x01d9a001u}, local));   // carries into high
    EXPECT_FALSE(ServerBuildIsNewer({0xffffffffu, 0x01d99fffu}, local));  // low half alone lies
    EXPECT_FALSE(ServerBuildIsNewer({0, 0}, local));  // a listing without a date
}

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

TEST(UpdateRules, DamagedHeadersAreRefusedWithTheirReason) {
    using V = ExeVerdict;
    struct Case {
        const char* what;
        std::function<void(Image&)> damage;
        ExeVerdict verdict;
    };
    const Case cases[] = {
        // Data after the last section (a signature, a marker) does not matter.
        {"data after the sections", [](Image& i) { i.bytes.resize(i.bytes.size() + 777, 0x5a); },
         V::Ok},
        {"the other machine's optional header", [](Image& i) { i.Put16(i.Opt(0), 0x10b); },
         V::BadOptionalHeader},
        {"no MZ", [](Image& i) { i.bytes[0] = 'Z'; }, V::NoDosHeader},
        {"PE offset inside the DOS header", [](Image& i) { i.Put32(0x3c, 0x20); },
         V::BadHeaderOffset},
        {"PE offset past the file", [](Image& i) { i.Put32(0x3c, 0x7ffffff0); }, V::Truncated},
        {"PE offset that wraps", [](Image& i) { i.Put32(0x3c, 0xfffffff0u); }, V::Truncated},
        {"no PE signature", [](Image& i) { i.bytes[i.pe + 1] = 'X'; }, V::NoPeSignature},
        {"a DLL", [](Image& i) { i.Put16(i.pe + 22, 0x2022); }, V::NotAProgram},
        {"not executable", [](Image& i) { i.Put16(i.pe + 22, 0x0020); }, V::NotAProgram},
        {"optional header too short", [](Image& i) { i.Put16(i.pe + 20, 100); },
         V::BadOptionalHeader},
        {"optional header past the file", [](Image& i) { i.Put16(i.pe + 20, 0xfff0); },
         V::Truncated},
        {"too many directories", [](Image& i) { i.Put32(i.Opt(108), 17); }, V::BadOptionalHeader},
        {"a console program", [](Image& i) { i.Put16(i.Opt(68), 3); }, V::NotGui},
        {"a driver", [](Image& i) { i.Put16(i.Opt(68), 1); }, V::NotGui},
        {"file alignment not a power of two", [](Image& i) { i.Put32(i.Opt(36), 0x300); },
         V::BadAlignment},
        {"file alignment too small", [](Image& i) { i.Put32(i.Opt(36), 0x100); }, V::BadAlignment},
        {"section alignment below file alignment", [](Image& i) { i.Put32(i.Opt(32), 0x100); },
         V::BadAlignment},
        {"no sections", [](Image& i) { i.Put16(i.pe + 6, 0); }, V::BadSections},
        {"too many sections", [](Image& i) { i.Put16(i.pe + 6, 97); }, V::BadSections},
        {"headers smaller than the section table", [](Image& i) { i.Put32(i.Opt(60), 0x100); },
         V::BadSections},
        {"headers larger than the file", [](Image& i) { i.Put32(i.Opt(60), 0x10000); },
         V::Truncated},
        {"no entry point", [](Image& i) { i.Put32(i.Opt(16), 0); }, V::BadEntryPoint},
        {"entry point past the image", [](Image& i) { i.Put32(i.Opt(16), 0x9000); },
         V::BadEntryPoint},
        {"entry point between sections", [](Image& i) { i.Put32(i.Opt(16), 0x1800); },
         V::BadEntryPoint},
        {"sections out of order", [](Image& i) { i.Put32(i.Section(2) + 12, 0x1000); },
         V::BadSections},
        {"a section past the image", [](Image& i) { i.Put32(i.Section(2) + 12, 0x3f00); },
         V::BadSections},
        {"a section's data past the file", [](Image& i) { i.Put32(i.Section(1) + 20, 0x900); },
         V::Truncated},
        {"a section's data size that wraps",
         [](Image& i) { i.Put32(i.Section(1) + 16, 0xffffff00u); }, V::Truncated},
        {"cut after the headers", [](Image& i) { i.bytes.resize(0x500); }, V::Truncated},
        {"cut inside the section table", [](Image& i) { i.bytes.resize(0x1b0); }, V::Truncated},
        {"cut inside the DOS header", [](Image& i) { i.bytes.resize(40); }, V::TooSmall},
    };
    for (const Case& c : cases) {
        Image image(ExeMachine::Amd64);
        c.damage(image);
        EXPECT_EQ(c.verdict, image.Check(ExeMachine::Amd64)) << c.what;
        EXPECT_STRNE("", DescribeVerdict(c.verdict));
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
    const FileStamp older{0, installed.high - 1};
    const FileStamp kept = KeptBuildStamp(installed, older);  // never back in time
    EXPECT_EQ(installed.low, kept.low);
    EXPECT_EQ(installed.high, kept.high);
}
