// The window's commands run as a click or a key runs them, with the user's
// answers scripted: the export's bytes, the question before replacing a
// file, errors shown in the box while the window stays usable.
#include <clocale>
#include <cstdio>
#include <filesystem>

#include <QApplication>
#include <QTest>

#include "gui/qt/errorbox.h"
#include "tests/kit/programs.h"
#include "tests/kit/prompts.h"
#include "tests/windowkit.h"

namespace {

const std::string kLapcsv = LAPCSV_PATH;
const std::string kData = TEST_DATA_DIR;

class WindowExportTest : public WindowTest {
  protected:
    // lapcsv's overlay of the data numbers `laps` (FIRST[-LAST]).
    std::string LapcsvOverlay(const std::string& laps) {
        const std::string out = OutFolder() + "lapcsv.csv";
        const ProgramRun run = RunProgram(
            kLapcsv, {"overlay", "--dir", AppDataTemp(), "--laps", laps, "-o", out, "-f"},
            WorkFolder());
        EXPECT_EQ(run.status, 0) << run.err;
        return ReadBytes(out);
    }

    void ClickExport(MainWindow& form) { QTest::mouseClick(form.exportButton, Qt::LeftButton); }

    // The committed sample laps, stamped in their order.
    void WriteFixtureSession() {
        std::filesystem::create_directories(AppDataTemp());
        int k = 0;
        for (const char* name : {"Temp0001.dtb", "Temp0002.dtb", "Temp0003.dtb"}) {
            std::filesystem::copy_file(kData + "/session/" + name, AppDataTemp() + name);
            SetStamp(AppDataTemp() + name, LocalSeconds(2012, 5, 3, 12, 0, 6 * ++k));
        }
    }
};

TEST_F(WindowExportTest, WritesTheSameBytesAsLapcsv) {
    struct Case {
        int top, bottom;
        const char* laps;
    };
    WriteAppDataSession(4);
    auto form = Open(kVersion2);
    for (const Case& c : {Case{1, 1, "0001"}, Case{2, 3, "0002-0003"}, Case{1, 4, "0001-0004"}}) {
        SCOPED_TRACE(c.laps);
        SelectRows(*form, c.top, c.bottom);
        ScriptedPrompts prompts;
        prompts.savePath = OutFolder() + "window";  // the extension is forced
        form->SetPrompts(&prompts);
        ClickExport(*form);
        form->SetPrompts(nullptr);

        EXPECT_EQ(prompts.savePresets, std::vector<std::string>{""});
        EXPECT_TRUE(prompts.warnings.empty());
        EXPECT_EQ(prompts.informations, std::vector<std::string>{"window.csv を出力しました。"});
        const std::string written = ReadBytes(OutFolder() + "window.csv");
        EXPECT_EQ(written, LapcsvOverlay(c.laps));
        EXPECT_GT(written.size(), 1000u);
        std::filesystem::remove(OutFolder() + "window.csv");
    }
    EXPECT_TRUE(errors.empty());
}

// Qt's application object takes the user's locale for printf and friends;
// the files and the list must keep their points all the same.
TEST_F(WindowExportTest, KeepsDecimalPointsUnderACommaLocale) {
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.2f", 1.5);
    if (std::string(probe) != "1,50") GTEST_SKIP() << "no locale with a decimal comma in effect";

    WriteFixtureSession();
    auto form = Open(kVersion2);
    std::string shown;
    for (int row = 0; row < ShownRows(*form); ++row)
        for (int col = 0; col < static_cast<int>(kLapListColumns); ++col)
            shown += CellText(*form, col, row) + (col + 1 < 6 ? "\t" : "\n");
    EXPECT_EQ(shown, ReadBytes(kData + "/expected-list.txt"));
    SelectRows(*form, 1, 3);
    ScriptedPrompts prompts;
    prompts.savePath = OutFolder() + "window.csv";
    form->SetPrompts(&prompts);
    ClickExport(*form);
    EXPECT_EQ(ReadBytes(OutFolder() + "window.csv"), ReadBytes(kData + "/expected-overlay.csv"));
}

// Tab to the button, then Enter (or the keypad's Enter, or Space) presses it.
TEST_F(WindowExportTest, EnterOnTheFocusedButtonExports) {
    WriteAppDataSession(2, 20);
    auto form = Open(kVersion2);
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    ScriptedPrompts prompts;
    prompts.savePath = OutFolder() + "laps.csv";
    prompts.overwrite = true;
    form->SetPrompts(&prompts);
    // Enter in the list does nothing surprising: no export, no edit.
    QTest::keyClick(form->lapTable, Qt::Key_Return);
    EXPECT_TRUE(prompts.savePresets.empty());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), form->exportButton);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        const auto before = prompts.informations.size();
        QTest::keyClick(form->exportButton, key);
        EXPECT_EQ(prompts.informations.size(), before + 1) << key;
    }
    EXPECT_EQ(prompts.informations.back(), "laps.csv を出力しました。");
}

// Laps removed since the list was made: all of them is an error and no
// file; some of them is a file and their numbers in the message.
TEST_F(WindowExportTest, NamesTheLapsThatCouldNotBeLoaded) {
    WriteAppDataSession(3, 20);
    auto form = Open(kVersion2);
    std::filesystem::remove(AppDataTemp() + "Temp0003.dtb");
    ScriptedPrompts prompts;
    prompts.savePath = OutFolder() + "laps.csv";
    form->SetPrompts(&prompts);
    SelectRows(*form, 3, 3);
    ClickExport(*form);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text.toStdString(),
              "選択したラップを読み込めませんでした。何も出力していません: 0003.");
    EXPECT_TRUE(FolderEntries(OutFolder()).empty());
    EXPECT_TRUE(prompts.informations.empty());

    SelectRows(*form, 2, 3);
    ClickExport(*form);
    EXPECT_EQ(prompts.informations,
              std::vector<std::string>{"laps.csv を出力しました。\r読み込めなかったラップ: 0003"});
    EXPECT_EQ(CsvRows(ReadBytes(OutFolder() + "laps.csv")).size(), 1u + 20);
}

TEST_F(WindowExportTest, AsksBeforeReplacingAFile) {
    struct Case {
        bool answer;
        bool replaced;
    };
    WriteAppDataSession(2, 20);
    auto form = Open(kVersion2);
    for (const Case& c : {Case{false, false}, Case{true, true}}) {
        SCOPED_TRACE(c.answer ? "Yes" : "No");
        WriteBytes(OutFolder() + "laps.csv", "kept");
        ScriptedPrompts prompts;
        prompts.savePath = OutFolder() + "laps.txt";
        prompts.overwrite = c.answer;
        form->SetPrompts(&prompts);
        ClickExport(*form);

        EXPECT_EQ(prompts.warnings,
                  std::vector<std::string>{"laps.csv は既に存在します。\r上書きしますか?"});
        EXPECT_EQ(ReadBytes(OutFolder() + "laps.csv") != "kept", c.replaced);
        EXPECT_EQ(prompts.informations.size(), c.replaced ? 1u : 0u);
        EXPECT_EQ(FolderEntries(OutFolder()), std::vector<std::string>{"laps.csv"});
    }
}

TEST_F(WindowExportTest, DoesNothingWithoutLaps) {
    auto form = Open(kVersion2);
    ScriptedPrompts prompts;
    prompts.savePath = OutFolder() + "laps.csv";
    form->SetPrompts(&prompts);
    ClickExport(*form);
    EXPECT_TRUE(prompts.savePresets.empty());
    EXPECT_TRUE(FolderEntries(OutFolder()).empty());
}

// A lap file that cannot be opened ends the export with the error box that
// names it; the window goes on and a second export works.
TEST_F(WindowExportTest, ShowsAReadErrorAndStaysUsable) {
    WriteAppDataSession(3, 40);
    auto form = Open(kVersion2);
    const std::string lap = AppDataTemp() + "Temp0003.dtb";
    std::filesystem::rename(lap, OutFolder() + "aside.dtb");
    if (!MakeUnopenableLapFile(lap)) GTEST_SKIP() << "no way to make a file unopenable here";

    SelectRows(*form, 2, 3);
    ScriptedPrompts prompts;
    prompts.savePath = OutFolder() + "laps.csv";
    form->SetPrompts(&prompts);
    ClickExport(*form);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].caption, "window_tests");
    EXPECT_EQ(errors[0].text.toStdString(), "ファイルへのアクセスが拒否されました.\n" + lap);
    EXPECT_TRUE(prompts.informations.empty());
    EXPECT_EQ(FolderEntries(OutFolder()), std::vector<std::string>{"aside.dtb"});
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->exportButton->isEnabled());

    std::filesystem::remove(lap);
    std::filesystem::rename(OutFolder() + "aside.dtb", lap);
    ClickExport(*form);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(prompts.informations, std::vector<std::string>{"laps.csv を出力しました。"});
    EXPECT_EQ(CsvRows(ReadBytes(OutFolder() + "laps.csv")).size(), 1u + 2 * 40 + 10);

    std::filesystem::rename(lap, OutFolder() + "aside.dtb");
    ASSERT_TRUE(MakeUnopenableLapFile(lap));
    prompts.overwrite = true;
    ClickExport(*form);
    EXPECT_EQ(errors.size(), 2u);
}

// The walk ends at the file that fails; the rows before it stay.
TEST_F(WindowExportTest, ShowsAReadErrorWhileListing) {
    WriteAppDataSession(4, 20);
    const std::string lap = AppDataTemp() + "Temp0003.dtb";
    std::filesystem::remove(lap);
    if (!MakeUnopenableLapFile(lap)) GTEST_SKIP() << "no way to make a file unopenable here";
    auto form = Open(kVersion2);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text.toStdString(), "ファイルへのアクセスが拒否されました.\n" + lap);
    EXPECT_EQ(form->CurrentSession().lapRows.size(), 2u);
    EXPECT_EQ(ShownRows(*form), 3);

    SelectRows(*form, 1, 2);
    ScriptedPrompts prompts;
    prompts.savePath = OutFolder() + "laps.csv";
    form->SetPrompts(&prompts);
    ClickExport(*form);
    EXPECT_EQ(prompts.informations.size(), 1u);
}

// Each of the three commands runs inside the one error box.
TEST_F(WindowExportTest, ShowsTheErrorOfEveryCommand) {
    struct Case {
        const char* name;
        QPushButton* MainWindow::*button;
    };
    WriteAppDataSession(1, 20);
    const std::string lap = AppDataTemp() + "Temp0001.dtb";
    auto form = Open(kVersion2);
    std::filesystem::remove(lap);
    if (!MakeUnopenableLapFile(lap)) GTEST_SKIP() << "no way to make a file unopenable here";
    for (const Case& c :
         {Case{"export", &MainWindow::exportButton}, Case{"raw log", &MainWindow::rawLogButton},
          Case{"picked files", &MainWindow::pickedFilesButton}}) {
        SCOPED_TRACE(c.name);
        errors.clear();
        ScriptedPrompts prompts;
        prompts.openPaths = {lap};
        prompts.savePath = OutFolder() + "out.csv";
        form->SetPrompts(&prompts);
        (form.get()->*c.button)->click();
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].text.toStdString(), "ファイルへのアクセスが拒否されました.\n" + lap);
        EXPECT_TRUE(FolderEntries(OutFolder()).empty());
    }
}

TEST(ErrorBox, AddsAFullStopAfterCharactersThatSortAfterItThenThePath) {
    struct Case {
        const char* message;
        const char* path;
        QString shown;
    };
    for (const Case& c : {
             Case{"abc", "", "abc."},
             Case{"abc.", "", "abc."},
             Case{"", "", ""},
             Case{"I/O エラー (5)", "", "I/O エラー (5)"},  // ')' sorts before '.'
             Case{"a-", "", "a-"},
             Case{"a/", "", "a/."},
             Case{"ファイルが見つかりません", "", "ファイルが見つかりません."},
             Case{"終わりました。", "", "終わりました。."},
             Case{"\U0001F600", "", "\U0001F600."},
             Case{"ディスクがいっぱいです", "/ラップ/out.csv",
                  "ディスクがいっぱいです.\n/ラップ/out.csv"},
         }) {
        EXPECT_EQ(ErrorBoxText({c.message, c.path}), c.shown) << c.message;
    }
    EXPECT_EQ(ErrorBoxCaption(), "window_tests");
}

}  // namespace
