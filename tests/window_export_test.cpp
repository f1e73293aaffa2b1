// The window's commands run as a click runs them, with the user's answers
// scripted: the export's bytes, the question before replacing a file, errors
// shown in the box while the window stays usable.
#include <clocale>
#include <cstdio>
#include <filesystem>

#include <QTest>

#include "lapdata/lapslot.h"
#include "tests/kit/programs.h"
#include "tests/kit/prompts.h"
#include "tests/windowkit.h"
#include "gui/qt/errorbox.h"
#include "gui/qt/unit1.h"

namespace {

const std::string kLapcsv = LAPCSV_PATH;

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

    void ClickExport(TForm1& form) { QTest::mouseClick(form.ButtonCnv, Qt::LeftButton); }
};

TEST_F(WindowExportTest, WritesTheSameBytesAsLapcsv) {
    struct Case {
        int Top, Bottom;
        const char* Laps;
    };
    WriteAppDataSession(4);
    auto form = Open(kLaprix2QuorbelII);
    for (const Case& c : {Case{1, 1, "0001"}, Case{2, 3, "0002-0003"}, Case{1, 4, "0001-0004"}}) {
        SCOPED_TRACE(c.laps);
        SelectRows(*form, c.Top, c.Bottom);
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
        EXPECT_EQ(LapDt.size(), 1u);
        EXPECT_EQ(LapDt[0].Count, 0);
    }
    EXPECT_TRUE(errors.empty());
}

// Qt's application object takes the user's locale for printf and friends;
// the files and the list must keep their points all the same.
TEST_F(WindowExportTest, KeepsDecimalPointsUnderACommaLocale) {
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.2f", 1.5);
    if (std::string(probe) != "1,50") GTEST_SKIP() << "no locale with a decimal comma in effect";

    WriteAppDataSession(2);
    auto form = Open(kLaprix2QuorbelII);
    EXPECT_EQ(form->Grid().Cell(3, 1).find(','), std::string::npos);
    EXPECT_NE(form->Grid().Cell(4, 1).find('.'), std::string::npos);
    SelectRows(*form, 1, 2);
    ScriptedPrompts prompts;
    prompts.savePath = OutFolder() + "window.csv";
    form->SetPrompts(&prompts);
    ClickExport(*form);
    EXPECT_EQ(ReadBytes(OutFolder() + "window.csv"), LapcsvOverlay("0001-0002"));
}

TEST_F(WindowExportTest, AsksBeforeReplacingAFile) {
    struct Case {
        bool Answer;
        bool Replaced;
    };
    WriteAppDataSession(2, 20);
    auto form = Open(kLaprix2QuorbelII);
    for (const Case& c : {Case{false, false}, Case{true, true}}) {
        SCOPED_TRACE(c.Answer ? "Yes" : "No");
        WriteBytes(OutFolder() + "laps.csv", "kept");
        ScriptedPrompts prompts;
        prompts.savePath = OutFolder() + "laps.txt";
        prompts.overwrite = c.Answer;
        form->SetPrompts(&prompts);
        ClickExport(*form);

        EXPECT_EQ(prompts.warnings,
                  std::vector<std::string>{"laps.csv は既に存在します。\r上書きしますか?"});
        EXPECT_EQ(ReadBytes(OutFolder() + "laps.csv") != "kept", c.Replaced);
        EXPECT_EQ(prompts.informations.size(), c.Replaced ? 1u : 0u);
        EXPECT_EQ(FolderEntries(OutFolder()), std::vector<std::string>{"laps.csv"});
    }
}

TEST_F(WindowExportTest, DoesNothingWithoutLaps) {
    auto form = Open(kLaprix2QuorbelII);
    ScriptedPrompts prompts;
    prompts.savePath = OutFolder() + "laps.csv";
    form->SetPrompts(&prompts);
    ClickExport(*form);
    EXPECT_TRUE(prompts.savePresets.empty());
    EXPECT_TRUE(FolderEntries(OutFolder()).empty());
}

// A lap file that cannot be opened ends the export with the error box; the
// window goes on, a second export works, and closing it still releases the
// slot.
TEST_F(WindowExportTest, ShowsAReadErrorAndStaysUsable) {
    WriteAppDataSession(3, 40);
    auto form = Open(kLaprix2QuorbelII);
    const std::string lap = AppDataTemp() + "Temp0003.dtb";
    std::filesystem::rename(lap, OutFolder() + "aside.dtb");
    if (!MakeUnopenableLapFile(lap)) GTEST_SKIP() << "no way to make a file unopenable here";

    SelectRows(*form, 2, 3);
    ScriptedPrompts prompts;
    prompts.savePath = OutFolder() + "laps.csv";
    form->SetPrompts(&prompts);
    ClickExport(*form);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].Caption, "window_tests");
    EXPECT_EQ(errors[0].Text, "ファイルへのアクセスが拒否されました.");
    EXPECT_TRUE(prompts.informations.empty());
    EXPECT_EQ(FolderEntries(OutFolder()), std::vector<std::string>{"aside.dtb"});
    EXPECT_EQ(LapDt[0].Count, 0);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->ButtonCnv->isEnabled());

    std::filesystem::remove(lap);
    std::filesystem::rename(OutFolder() + "aside.dtb", lap);
    ClickExport(*form);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(prompts.informations, std::vector<std::string>{"laps.csv を出力しました。"});
    EXPECT_EQ(ReadBytes(OutFolder() + "laps.csv"), LapcsvOverlay("0002-0003"));

    std::filesystem::rename(lap, OutFolder() + "aside.dtb");
    ASSERT_TRUE(MakeUnopenableLapFile(lap));
    prompts.overwrite = true;
    ClickExport(*form);
    EXPECT_EQ(errors.size(), 2u);
    form->close();
    form.reset();
    EXPECT_TRUE(LapDt.empty());
}

// The walk ends at the file that fails; the rows before it stay.
TEST_F(WindowExportTest, ShowsAReadErrorWhileListing) {
    WriteAppDataSession(4, 20);
    const std::string lap = AppDataTemp() + "Temp0003.dtb";
    std::filesystem::remove(lap);
    if (!MakeUnopenableLapFile(lap)) GTEST_SKIP() << "no way to make a file unopenable here";
    auto form = Open(kLaprix2QuorbelII);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].Text, "ファイルへのアクセスが拒否されました.");
    EXPECT_EQ(LapRowCount, 2);
    EXPECT_EQ(form->Grid().RowCount(), 3);

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
        const char* Name;
        QPushButton* TForm1::*Button;
    };
    WriteAppDataSession(1, 20);
    const std::string lap = AppDataTemp() + "Temp0001.dtb";
    auto form = Open(kLaprix2QuorbelII);
    std::filesystem::remove(lap);
    if (!MakeUnopenableLapFile(lap)) GTEST_SKIP() << "no way to make a file unopenable here";
    for (const Case& c : {Case{"ButtonCnv", &TForm1::ButtonCnv},
                          Case{"ButtonGo", &TForm1::ButtonGo}, Case{"Button1", &TForm1::Button1}}) {
        SCOPED_TRACE(c.Name);
        errors.clear();
        ScriptedPrompts prompts;
        prompts.openPaths = {lap};
        prompts.savePath = OutFolder() + "out.csv";
        form->SetPrompts(&prompts);
        (form.get()->*c.Button)->click();
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].Text, "ファイルへのアクセスが拒否されました.");
        EXPECT_TRUE(FolderEntries(OutFolder()).empty());
    }
}

TEST(ErrorBox, AddsAFullStopAfterCharactersThatSortAfterIt) {
    struct Case {
        QString Message, Shown;
    };
    for (const Case& c : {
             Case{"abc", "abc."},
             Case{"abc.", "abc."},
             Case{"", ""},
             Case{"I/O エラー (5)", "I/O エラー (5)"},  // ')' sorts before '.'
             Case{"a-", "a-"},
             Case{"a/", "a/."},
             Case{"ファイルが見つかりません", "ファイルが見つかりません."},
             Case{"終わりました。", "終わりました。."},
             Case{"\U0001F600", "\U0001F600."},
         }) {
        EXPECT_EQ(ErrorBoxText(c.Message), c.Shown) << c.Message.toStdString();
    }
    EXPECT_EQ(ErrorBoxCaption(), "window_tests");
}

}  // namespace
