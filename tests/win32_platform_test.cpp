// The Windows side of the seam: the registry and shell lookups, wide paths,
// reading a file its writer keeps open, stamps, the atomic replace, the
// system's error codes and the x87 precision of a bare Windows thread.
#include <windows.h>
// windows.h first: the shell's header needs its types.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <filesystem>
#include <optional>

#include "lapdata/lapfile.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/win32/ioerror.h"
#include "platform/win32/wide.h"
#include "tests/kit/files.h"
#include "tests/kit/laps.h"
#include "text/error.h"
#include "text/extended.h"

namespace {

using platform::win32::Wide;

// The value InstallPath of HKCU\Software\Laprix while it lives; the key's
// value as it was before afterwards.
class InstallPathValue {
  public:
    InstallPathValue() {
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                          nullptr);
    }
    ~InstallPathValue() {
        ::RegDeleteValueW(key_, L"InstallPath");
        ::RegCloseKey(key_);
    }
    void Set(DWORD type, const std::wstring& text) {
        ::RegSetValueExW(key_, L"InstallPath", 0, type, reinterpret_cast<const BYTE*>(text.data()),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    void SetNumber(DWORD number) {
        ::RegSetValueExW(key_, L"InstallPath", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                         sizeof number);
    }
    void Remove() { ::RegDeleteValueW(key_, L"InstallPath"); }

  private:
    static constexpr const wchar_t* kKey = L"Software\\Laprix";
    HKEY key_ = nullptr;
};

TEST(Win32Registry, InstallPathGivesTheDataFolderOfVersion1) {
    InstallPathValue value;
    const struct {
        DWORD type;
        std::wstring text;
        const char* folder;
    } cases[] = {
        {REG_SZ, L"C:\\Program Files\\Laprix\\", "C:\\Program Files\\Laprix\\Temp\\"},
        {REG_SZ, L"D:\\Laprix", "D:\\LaprixTemp\\"},  // no delimiter is put in
        {REG_EXPAND_SZ, L"%ProgramFiles%\\Laprix\\", "%ProgramFiles%\\Laprix\\Temp\\"},
        {REG_SZ, std::wstring(L"C:\\ラップ\\\0junk", 12), "C:\\ラップ\\Temp\\"},  // up to its NUL
        {REG_SZ, L"", ""},
        {REG_MULTI_SZ, L"C:\\Laprix\\", ""},  // not text of the two kinds
    };
    for (const auto& c : cases) {
        value.Set(c.type, c.text);
        EXPECT_EQ(platform::DataFolderByRegistry(), c.folder) << c.folder;
    }
    value.SetNumber(7);
    EXPECT_EQ(platform::DataFolderByRegistry(), "");
    value.Remove();
    EXPECT_EQ(platform::DataFolderByRegistry(), "");
}

TEST(Win32Shell, ApplicationDataGivesTheDataFolderOfVersion2) {
    wchar_t common[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(
        ::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common)));
    const std::string expected = platform::win32::Utf8(common) + "\\Laprix\\temp\\";
    EXPECT_EQ(platform::DataFolderByAppData(), expected);
    EXPECT_NE(platform::DocumentsFolder(), "");
    EXPECT_EQ(platform::DisplayPath("C:\\x\\"), "C:\\x\\");
    const std::string current = platform::DisplayPath("");
    EXPECT_EQ(current.back(), '\\');
    EXPECT_EQ(platform::KindOf(current), platform::EntryKind::Folder);
}

TEST(Win32Files, JapaneseNamesGoThroughWideCalls) {
    ScratchDir dir;
    const std::string name = "ラップ①～.dtb";
    const std::string path = dir.Path() + name;
    HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const std::string bytes = LapBytes(StraightLap(At(2012, 5, 3, 10, 0, 0), 2));
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    EXPECT_EQ(platform::FolderEntryNames(dir.Path()), std::vector<std::string>{name});
    EXPECT_EQ(platform::KindOf(path), platform::EntryKind::File);
    auto input = platform::InputFile::Open(path);
    ASSERT_TRUE(input.has_value());
    EXPECT_EQ(input->Size(), bytes.size());
}

TEST(Win32Files, LapFileIsReadWhileItsWriterKeepsItOpen) {
    ScratchDir dir;
    const std::string path = dir / "Temp0001.dtb";
    WriteBytes(path, LapBytes(StraightLap(At(2012, 5, 3, 10, 0, 0), 3)));
    // The analysis software writes and lets others only read.
    HANDLE writer = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    std::size_t records = 0;
    EXPECT_TRUE(ReadLapSamples(path, [&](const Sample&) { ++records; }));
    EXPECT_EQ(records, 3u);
    // ...and may go on writing while the file is open here.
    auto input = platform::InputFile::Open(path);
    ASSERT_TRUE(input.has_value());
    ::SetFilePointer(writer, 0, nullptr, FILE_END);
    DWORD written = 0;
    EXPECT_TRUE(::WriteFile(writer, "x", 1, &written, nullptr));
    ::CloseHandle(writer);
}

TEST(Win32Files, StampsAreLocalTimeInTwoSecondSteps) {
    ScratchDir dir;
    const std::string path = dir / "Temp0001.dtb";
    WriteBytes(path, "");
    const std::time_t even = LocalSeconds(2012, 5, 3, 10, 0, 0);
    SetStamp(path, even + 1);
    EXPECT_EQ(platform::StampOf(path), platform::StampOfTime(even));
    const struct { int year, month, day, hour, minute, second; } when{2012, 5, 3, 10, 0, 0};
    const platform::FileStamp packed =
        ((((static_cast<platform::FileStamp>(when.year) * 16 + when.month) * 32 + when.day) * 32 +
          when.hour) *
             64 +
         when.minute) *
            32 +
        when.second / 2;
    EXPECT_EQ(platform::StampOfTime(even), packed);  // the local wall-clock fields
    EXPECT_LT(platform::StampOfTime(even + 1), platform::StampOfTime(even + 2));
    EXPECT_EQ(platform::StampOf(dir / "missing.dtb"), std::nullopt);
}

TEST(Win32Files, AtomicReplaceKeepsTheOldFileWhenTheTargetCannotBeReplaced) {
    ScratchDir dir;
    const std::string target = dir / "out.csv";
    WriteBytes(target, "old");
    {
        platform::AtomicFile file(target);
        file.Write("new");
        file.Commit();
    }
    EXPECT_EQ(ReadBytes(target), "new");
    // Held open by a program that lets no one delete or rename it.
    HANDLE holder = ::CreateFileW(Wide(target).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    try {
        platform::AtomicFile file(target);
        file.Write("newer");
        file.Commit();
        ADD_FAILURE() << "replaced a file held open";
    } catch (const Error& e) {
        EXPECT_EQ(e.Path(), target);
        EXPECT_NE(e.SystemCode(), 0);
    }
    ::CloseHandle(holder);
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"out.csv"});
}

TEST(Win32Errors, SystemCodesShowTheirMessages) {
    const struct {
        unsigned long code;
        const char* message;
    } cases[] = {
        {ERROR_FILE_NOT_FOUND, "ファイルが見つかりません"},
        {ERROR_PATH_NOT_FOUND, "ファイル名の指定が間違っています"},
        {ERROR_INVALID_NAME, "ファイル名の指定が間違っています"},
        {ERROR_TOO_MANY_OPEN_FILES, "オープンしたファイルが多すぎます"},
        {ERROR_ACCESS_DENIED, "ファイルへのアクセスが拒否されました"},
        {ERROR_DISK_FULL, "ディスクがいっぱいです"},
        {ERROR_SHARING_VIOLATION, "I/O エラー (32)"},
        {ERROR_NOT_READY, "I/O エラー (21)"},
    };
    for (const auto& c : cases) {
        try {
            platform::win32::ThrowIoError(c.code, "C:\\some\\file");
            ADD_FAILURE();
        } catch (const Error& e) {
            EXPECT_EQ(e.Message(), c.message) << c.code;
            EXPECT_EQ(e.SystemCode(), static_cast<int>(c.code));
            EXPECT_EQ(e.Path(), "C:\\some\\file");
        }
    }
}

TEST(Win32Precision, BareWindowsThreadIsSetTo64Bits) {
    struct Result {
        int after = 0;
    } result;
    HANDLE thread = ::CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            auto& r = *static_cast<Result*>(p);
            // As a thread may find it, whatever made it.
            unsigned short word = 0x027F;
            __asm__ volatile("fldcw %0" : : "m"(word));
            UseExtendedPrecision();
            r.after = ExtendedPrecisionBits();
            return 0;
        },
        &result, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    EXPECT_EQ(result.after, 64);
    EXPECT_EQ(ExtendedPrecisionBits(), 64);  // the main thread's
}

}  // namespace
