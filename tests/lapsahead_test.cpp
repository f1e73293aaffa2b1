// Laps loaded ahead on worker threads come back as loading them one by one
// would give them: in order, with skips and the first error in lap order.
#include "export/lapsahead.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "tests/kit/files.h"
#include "tests/kit/laps.h"
#include "text/error.h"

namespace {

// Lap k of `count` has k + 3 samples, so that each is known by its size.
std::vector<std::string> WriteLaps(const ScratchDir& dir, int count) {
    std::vector<std::string> paths;
    for (int k = 0; k < count; ++k) {
        paths.push_back(dir / ("Temp" + std::to_string(1000 + k) + ".dtb"));
        WriteBytes(paths.back(), LapBytes(StraightLap(At(2012, 5, 3, 10, k, 0), k + 3)));
    }
    return paths;
}

const unsigned kThreadCounts[] = {1, 2, 3, 8};

TEST(LapsAhead, LapsComeInOrderWithSkipsWhateverTheThreads) {
    ScratchDir dir;
    std::vector<std::string> paths = WriteLaps(dir, 12);
    std::remove(paths[0].c_str());  // missing
    WriteBytes(paths[5], "not a lap file");
    for (const unsigned threads : kThreadCounts) {
        LapsAhead ahead(paths, threads);
        for (std::size_t k = 0; k < paths.size(); ++k) {
            const Lap* lap = ahead.Next();
            if (k == 0 || k == 5) {
                EXPECT_EQ(lap, nullptr) << threads << " threads, lap " << k;
                continue;
            }
            ASSERT_NE(lap, nullptr) << threads << " threads, lap " << k;
            EXPECT_EQ(lap->samples.size(), k + 3) << threads << " threads";
            EXPECT_EQ(lap->track.size(), k + 3) << threads << " threads";
            EXPECT_EQ(lap->dataNumber, std::to_string(1000 + k));
        }
    }
}

// The error of the first failing lap comes when that lap's turn comes, even
// when a later lap failed first; the laps before it come whole.
TEST(LapsAhead, FirstErrorInLapOrder) {
    ScratchDir dir;
    std::vector<std::string> paths = WriteLaps(dir, 6);
    for (const std::size_t k : {2, 4}) {
        std::remove(paths[k].c_str());
        if (!MakeUnopenableLapFile(paths[k])) GTEST_SKIP() << "no way to make a lap unreadable";
    }
    for (const unsigned threads : kThreadCounts) {
        LapsAhead ahead(paths, threads);
        for (std::size_t k = 0; k < 2; ++k) {
            const Lap* lap = ahead.Next();
            ASSERT_NE(lap, nullptr);
            EXPECT_EQ(lap->samples.size(), k + 3);
        }
        // Let the later failure happen first where it can.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        try {
            ahead.Next();
            ADD_FAILURE() << threads << " threads: no error";
        } catch (const Error& e) {
            EXPECT_EQ(e.Path(), paths[2]) << threads << " threads";
            EXPECT_EQ(e.Message(), IoMessage(kIoAccessDenied));
        }
    }
}

// Given up after the first lap, with laps still being loaded: the threads
// finish the lap at hand and stop.
TEST(LapsAhead, LeftEarly) {
    ScratchDir dir;
    const std::vector<std::string> paths = WriteLaps(dir, 20);
    for (const unsigned threads : kThreadCounts) {
        LapsAhead ahead(paths, threads);
        ASSERT_NE(ahead.Next(), nullptr);
    }
}

}  // namespace
