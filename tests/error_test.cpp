// What the user is shown for each kind of failure: our own errors as they
// are, out-of-memory in Japanese wherever it happens, and never a library's
// English text.
#include "text/error.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

#include "tests/kit/files.h"
#include "tests/kit/laps.h"
#include "tests/kit/programs.h"

namespace {

const std::string kLapcsv = LAPCSV_PATH;

template <class Throw>
ShownError Describe(Throw doThrow) {
    try {
        doThrow();
    } catch (...) {
        return DescribeCurrentException();
    }
    return {"(nothing thrown)", ""};
}

TEST(Error, EachFailureIsShownInJapanese) {
    struct Case {
        const char* what;
        ShownError shown;
        std::string message, path;
    };
    const Case cases[] = {
        {"ours", Describe([] { throw Error(IoMessage(kIoAccessDenied), "/a/b.csv", 13); }),
         "ファイルへのアクセスが拒否されました", "/a/b.csv"},
        {"out of memory", Describe([] { throw std::bad_alloc(); }), kOutOfMemoryMessage, ""},
        {"a container too large",
         Describe([] { std::vector<char>().reserve(std::vector<char>().max_size() + 1); }),
         kOutOfMemoryMessage, ""},
        {"a library's error", Describe([] { throw std::runtime_error("bad thing"); }),
         "予期しないエラーが発生しました", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.shown.message, c.message) << c.what;
        EXPECT_EQ(c.shown.path, c.path) << c.what;
    }
}

// A raw log too large for the memory the process may have: the message is
// the Japanese one, not "std::bad_alloc", and nothing is written.
TEST(Error, RawLogBeyondTheMemoryLimitSaysSo) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more than the limit allows";
#endif
    ScratchDir dir;
    // 4 GB of records, sparse on disk; the buffer would need more than 4 GB.
    WriteBytes(dir / "Temp0001.dtb", LapBytes(StraightLap(At(2012, 5, 3, 10, 0, 0), 1)));
    std::filesystem::resize_file(dir / "Temp0001.dtb", std::uintmax_t(1) << 32);
    const ProgramRun run = RunProgram(
        "/bin/sh", {"-c", "ulimit -v 1000000 && exec \"$0\" raw -o out.csv Temp0001.dtb", kLapcsv},
        dir.Path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "lapcsv: メモリが不足しています\n");
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"Temp0001.dtb"});
}

}  // namespace
