#include "platform/posix/wineprefix.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "tests/kit/files.h"

namespace {

using namespace platform::posix;

// Sets or clears an environment variable for the life of the object.
class EnvVar {
  public:
    EnvVar(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~EnvVar() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(DataFolder, PrefixFromTheEnvironment) {
    {
        EnvVar prefix("WINEPREFIX", "/srv/wine/");
        EXPECT_EQ(WinePrefix(), "/srv/wine");
        EXPECT_EQ(DataFolderByAppData(WinePrefix()), "/srv/wine/drive_c/ProgramData/Laprix/temp/");
    }
    EnvVar empty("WINEPREFIX", "");
    EnvVar home("HOME", "/home/driver");
    EXPECT_EQ(WinePrefix(), "/home/driver/.wine");
}

TEST(DataFolder, WindowsPathsMapIntoThePrefix) {
    const struct {
        const char* windows;
        const char* mapped;
    } cases[] = {
        {"C:\\Program Files\\Laprix\\Temp\\", "/p/dosdevices/c:/Program Files/Laprix/Temp/"},
        {"D:\\LaprixTemp\\", "/p/dosdevices/d:/LaprixTemp/"},
        {"z:\\tmp\\", "/p/dosdevices/z:/tmp/"},
        {"Laprix\\Temp\\", "Laprix/Temp/"},  // no drive: relative to the current folder
    };
    for (const auto& c : cases)
        EXPECT_EQ(MapWindowsPath("/p", c.windows), c.mapped) << c.windows;
}

// user.reg as Wine writes it, with the key's lines given by each case.
std::string UserReg(const std::string& keyLines) {
    return "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
           "#arch=win64\n\n"
           "[Software\\\\Wine\\\\Fonts] 1700000000\n#time=1da0000000000000\n"
           "\"InstallPath\"=\"C:\\\\Wrong\\\\\"\n\n" +
           keyLines +
           "\n[Software\\\\Laprix\\\\Sub] 1700000000\n\"InstallPath\"=\"C:\\\\Sub\\\\\"\n";
}

TEST(DataFolder, InstallPathFromTheUserRegistry) {
    const std::string key = "[Software\\\\Laprix] 1700000000\n#time=1da0000000000000\n";
    const struct {
        std::string lines;
        std::optional<std::string> value;
        std::string tempDir;
    } cases[] = {
        {key + "\"InstallPath\"=\"C:\\\\Program Files\\\\Laprix\\\\\"\n",
         "C:\\Program Files\\Laprix\\", "/p/dosdevices/c:/Program Files/Laprix/Temp/"},
        {key + "\"InstallPath\"=\"D:\\\\Laprix\"\n", "D:\\Laprix", "/p/dosdevices/d:/LaprixTemp/"},
        // Expandable strings are taken as stored.
        {key + "\"InstallPath\"=str(2):\"%ProgramFiles%\\\\L\\\\\"\n", "%ProgramFiles%\\L\\",
         "%ProgramFiles%/L/Temp/"},
        // Key and value names ignore letter case; other values are passed over.
        {"[software\\\\LAPRIX] 1\n\"Version\"=\"2\"\n\"installpath\"=\"E:\\\\L\\\\\"\r\n",
         "E:\\L\\", "/p/dosdevices/e:/L/Temp/"},
        // Escapes: quote, non-ASCII as UTF-16 units, text after a NUL dropped.
        {key + "\"InstallPath\"=\"C:\\\\\\\"q\\\"\\\\\\x30e9\\x30c3\\\\\"\n", "C:\\\"q\"\\ラッ\\",
         "/p/dosdevices/c:/\"q\"/ラッ/Temp/"},
        {key + "\"InstallPath\"=\"C:\\\\A\\\\\\0junk\"\n", "C:\\A\\", "/p/dosdevices/c:/A/Temp/"},
        // Present but empty, present without the value, not text, no key.
        {key + "\"InstallPath\"=\"\"\n", "", ""},
        {key + "\"Other\"=\"C:\\\\\"\n", std::nullopt, ""},
        {key + "\"InstallPath\"=dword:00000001\n", std::nullopt, ""},
        {key + "\"InstallPath\"=hex(2):43,00,3a,00,00,00\n", std::nullopt, ""},
        {"", std::nullopt, ""},
    };
    for (const auto& c : cases) {
        ScratchDir prefix;
        WriteBytes(prefix / "user.reg", UserReg(c.lines));
        EXPECT_EQ(ReadInstallPath(prefix / "user.reg"), c.value) << c.lines;
        const std::string expected =
            c.tempDir.rfind("/p/", 0) == 0 ? prefix.Path() + c.tempDir.substr(3) : c.tempDir;
        std::string root = prefix.Path();
        root.pop_back();
        EXPECT_EQ(DataFolderByRegistry(root), expected) << c.lines;
    }
}

TEST(DataFolder, NoRegistryFileMeansNoFolder) {
    ScratchDir prefix;
    EXPECT_EQ(ReadInstallPath(prefix / "user.reg"), std::nullopt);
    EXPECT_EQ(DataFolderByRegistry(prefix / "none"), "");
}

}  // namespace

namespace {

// Wine finds folders whatever the case of their names, and so do both lookups.
TEST(DataFolder, FoldersAreFoundWhateverTheirLetterCase) {
    ScratchDir prefix;
    std::string root = prefix.Path();
    root.pop_back();
    std::filesystem::create_directories(prefix / "drive_c/ProgramData/LAPRIX/Temp");
    EXPECT_EQ(DataFolderByAppData(root), prefix / "drive_c/ProgramData/LAPRIX/Temp/");

    std::filesystem::create_directories(prefix / "drive_c/Program Files/laprix/TEMP");
    std::filesystem::create_directory(prefix / "dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", prefix / "dosdevices/c:");
    WriteBytes(prefix / "user.reg",
               "[Software\\\\Laprix]\n\"InstallPath\"=\"C:\\\\Program Files\\\\Laprix\\\\\"\n");
    EXPECT_EQ(DataFolderByRegistry(root), prefix / "dosdevices/c:/Program Files/laprix/TEMP/");

    // A folder that exists in no case keeps the names as written.
    EXPECT_EQ(ResolveFolderIgnoringCase(prefix / "none/Sub/"), prefix / "none/Sub/");
}

}  // namespace
