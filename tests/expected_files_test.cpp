// lapcsv on small committed lap files against committed expected outputs:
// the list, the overlay of all laps, picked files and a raw log, byte for
// byte. The expected files were checked line by line when they were made;
// a fault shared by every command still shows here.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/kit/files.h"
#include "tests/kit/programs.h"

namespace {

const std::string kLapcsv = LAPCSV_PATH;
const std::string kData = TEST_DATA_DIR;

class ExpectedFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        // File stamps do not survive a checkout: give the laps growing ones.
        std::filesystem::create_directories(session());
        int k = 0;
        for (const char* name : {"Temp0001.dtb", "Temp0002.dtb", "Temp0003.dtb"}) {
            std::filesystem::copy_file(kData + "/session/" + name, session() + name);
            SetStamp(session() + name, LocalSeconds(2012, 5, 3, 12, 0, 6 * ++k));
        }
    }
    std::string session() const { return dir.Path() + "session/"; }

    // Runs lapcsv and returns what it wrote to `out` (or printed, for list).
    std::string Run(const std::vector<std::string>& args) {
        const ProgramRun run = RunProgram(kLapcsv, args, dir.Path(), {"TZ=UTC", "LC_ALL=C"});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        return run.out;
    }

    ScratchDir dir;
};

TEST_F(ExpectedFiles, List) {
    EXPECT_EQ(Run({"list", "--dir", session()}), ReadBytes(kData + "/expected-list.txt"));
}

TEST_F(ExpectedFiles, OverlayOfAllLaps) {
    Run({"overlay", "--dir", session(), "-o", dir / "overlay.csv"});
    EXPECT_EQ(ReadBytes(dir / "overlay.csv"), ReadBytes(kData + "/expected-overlay.csv"));
}

TEST_F(ExpectedFiles, PickedFilesInTheirOrder) {
    Run({"files", "-o", dir / "files.csv", session() + "Temp0003.dtb",
         kData + "/picked/Temp0007.dtb", kData + "/picked/Temp0008.dtb"});
    EXPECT_EQ(ReadBytes(dir / "files.csv"), ReadBytes(kData + "/expected-files.csv"));
}

TEST_F(ExpectedFiles, RawLog) {
    Run({"raw", "-o", dir / "raw.csv", kData + "/picked/Temp0007.dtb"});
    EXPECT_EQ(ReadBytes(dir / "raw.csv"), ReadBytes(kData + "/expected-raw.csv"));
}

}  // namespace
