// Writing CSV files: line ends, code page 932 as Windows has it, and the
// atomic replacement of the target.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <algorithm>
#include <filesystem>

#include "export/csvwriter.h"
#include "platform/system.h"
#include "tests/kit/files.h"
#include "tests/kit/programs.h"
#include "text/error.h"
#include "text/names.h"

namespace {

std::size_t EntriesIn(const std::string& folder) {
    return FolderEntries(folder).size();
}

void WriteCsv(const std::string& target, const std::vector<std::string>& lines) {
    CsvWriter out(target);
    for (const std::string& line : lines)
        out.AddLine(line);
    out.Commit();
}

TEST(CsvWriter, LinesEndInCrLfAndJapaneseIsShiftJis) {
    ScratchDir dir;
    WriteCsv(dir / "out.csv", {"日時,時間,秒", "1.00,2"});
    // 日 = 93 FA, 時 = 8E 9E, 間 = 8A D4, 秒 = 95 62 in code page 932.
    EXPECT_EQ(ReadBytes(dir / "out.csv"),
              "\x93\xFA\x8E\x9E,\x8E\x9E\x8A\xD4,\x95\x62\r\n"
              "1.00,2\r\n");
#ifndef _WIN32
    // A real reader of code page 932 agrees.
    const ProgramRun iconv =
        RunProgram("/usr/bin/iconv", {"-f", "CP932", "-t", "UTF-8", dir / "out.csv"}, dir.Path());
    EXPECT_EQ(iconv.out, "日時,時間,秒\r\n1.00,2\r\n");
#endif
}

// Lines made in place, added whole, and one longer than a line made in
// place may be, each in its place and over several flushes.
TEST(CsvWriter, LinesInPlaceAndWholeKeepTheirOrder) {
    ScratchDir dir;
    const std::string longLine(CsvWriter::kMaxLineBytes + 10, '7');
    std::string expected;
    {
        CsvWriter out(dir / "out.csv");
        for (int k = 0; k < 3000; ++k) {
            const std::string text = std::to_string(k) + ",時間";
            if (k % 2 == 0) {
                char* p = out.Room(text.size());
                out.EndLine(std::copy(text.begin(), text.end(), p));
            } else {
                out.AddLine(text);
            }
            if (k == 1500) out.AddLine(longLine);
            expected += std::to_string(k) + ",\x8E\x9E\x8A\xD4\r\n";
            if (k == 1500) expected += longLine + "\r\n";
        }
        out.Commit();
    }
    EXPECT_EQ(ReadBytes(dir / "out.csv"), expected);
}

TEST(CsvWriter, CodePage932AsWindowsHasIt) {
    const struct {
        const char* utf8;
        const char* cp932;  // nullptr: Windows cannot encode it
    } cases[] = {
        {"～", "\x81\x60"},  // FULLWIDTH TILDE, where plain Shift-JIS differs
        {"①", "\x87\x40"},
        {"\\~", "\\~"},
        {"\u0080", "\x80"},  // Windows encodes these, glibc
                             // does not
        {"\uF8F0", "\xA0"},
        {"\uF8F3", "\xFF"},
        {"¢", nullptr},  // glibc encodes these, Windows
                         // does not
        {"¥", nullptr},
        {"—", nullptr},
        {"−", nullptr},
        {"〜", nullptr},
        {"😀", nullptr},
    };
    for (const auto& c : cases) {
        if (c.cp932 != nullptr)
            EXPECT_EQ(platform::Cp932FromUtf8(std::string("a") + c.utf8 + "b"),
                      std::string("a") + c.cp932 + "b")
                << c.utf8;
        else
            EXPECT_THROW(platform::Cp932FromUtf8(std::string("a") + c.utf8), Error) << c.utf8;
    }
}

TEST(CsvWriter, UnencodableCharacterIsAnErrorNamingTheTarget) {
    ScratchDir dir;
    try {
        WriteCsv(dir / "out.csv", {"ok", "emoji 😀"});
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(e.Message(), "Shift-JIS に変換できない文字があります: 😀");
        EXPECT_EQ(e.Path(), dir / "out.csv");
    }
    EXPECT_EQ(EntriesIn(dir.Path()), 0u);
}

#ifndef _WIN32
// Permission bits, the file-creation mask and long UTF-8 names through
// narrow paths are POSIX matters.
TEST(CsvWriter, ReplacesTheTargetWholeKeepingItsMode) {
    ScratchDir dir;
    WriteBytes(dir / "out.csv", std::string(1000, 'x'));
    ::chmod((dir / "out.csv").c_str(), 0640);
    WriteCsv(dir / "out.csv", {"a"});
    EXPECT_EQ(ReadBytes(dir / "out.csv"), "a\r\n");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
    struct stat st {};
    ::stat((dir / "out.csv").c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(CsvWriter, NewFileTakesTheUserMaskWithoutChangingIt) {
    ScratchDir dir;
    const mode_t old = ::umask(027);
    WriteCsv(dir / "out.csv", {"a"});
    const mode_t during = ::umask(old);
    EXPECT_EQ(during, 027u);
    struct stat st {};
    ::stat((dir / "out.csv").c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(CsvWriter, LongestFileNamesCanBeWritten) {
    ScratchDir dir;
    for (const std::size_t bytes : {248u, 255u}) {
        // Japanese characters of three bytes each, as a user would type them.
        std::string name;
        while (name.size() + 3 + 4 <= bytes)
            name += "走";
        name += std::string(bytes - 4 - name.size(), 'a') + ".csv";
        ASSERT_EQ(name.size(), bytes);
        WriteCsv(dir / name, {"a"});
        EXPECT_EQ(ReadBytes(dir / name), "a\r\n") << bytes;
    }
    EXPECT_EQ(EntriesIn(dir.Path()), 2u);
}

#endif

TEST(CsvWriter, UncommittedWriterLeavesNothing) {
    ScratchDir dir;
    WriteBytes(dir / "out.csv", "old\r\n");
    {
        CsvWriter out(dir / "out.csv");
        for (int i = 0; i < 10000; ++i)
            out.AddLine("0.000,1.000,2.00,3.00,4.00,5.00,6.00,7.000");
    }
    EXPECT_EQ(ReadBytes(dir / "out.csv"), "old\r\n");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(CsvWriter, MissingFolderIsABadPathAndWritesNothing) {
    ScratchDir dir;
    try {
        WriteCsv(dir / "nofolder/out.csv", {"a"});
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(e.Message(), IoMessage(kIoBadPath));
        EXPECT_EQ(e.Path(), dir / "nofolder/out.csv");
    }
    EXPECT_EQ(EntriesIn(dir.Path()), 0u);
}

#ifndef _WIN32
TEST(CsvWriter, WriteFailingMidwayKeepsTheOldTarget) {
    ScratchDir dir;
    WriteBytes(dir / "out.csv", "old\r\n");
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto* previous = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    bool failed = false;
    try {
        CsvWriter out(dir / "out.csv");
        for (int i = 0; i < 10000; ++i)
            out.AddLine("0.000,1.000,2.00,3.00,4.00,5.00,6.00,7.000");
        out.Commit();
    } catch (const Error&) {
        failed = true;
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, previous);
    EXPECT_TRUE(failed);
    EXPECT_EQ(ReadBytes(dir / "out.csv"), "old\r\n");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

#endif

TEST(CsvWriter, ExtensionIsForcedToCsv) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"/a/out", "/a/out.csv"},      {"/a/out.txt", "/a/out.csv"},
                 {"/a/out.csv", "/a/out.csv"},  {"/a.b/out", "/a.b/out.csv"},
                 {"out.tar.gz", "out.tar.csv"}, {"/a/Temp0003.dtb", "/a/Temp0003.csv"}};
    for (const auto& c : cases)
        EXPECT_EQ(ForceCsvExtension(c.in), c.out);
}

}  // namespace
