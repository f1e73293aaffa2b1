// The lap list's menu: the racing line shown in a window of its own, saved
// as SVG or PNG, and the laps saved as GPX, each through the save dialog and
// the same question and message as the CSV export.
#include <QApplication>
#include <QContextMenuEvent>
#include <QTest>
#include <filesystem>

#include "gui/qt/racinglineview.h"
#include "tests/kit/programs.h"
#include "tests/kit/prompts.h"
#include "tests/windowkit.h"

namespace {

class WindowRacingLineTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        WriteAppDataSession(3, 200);
        form = Open(kVersion2);
        form->SetPrompts(&prompts);
    }
    void TearDown() override {
        form.reset();
        WindowTest::TearDown();
    }

    std::unique_ptr<MainWindow> form;
    ScriptedPrompts prompts;
};

TEST_F(WindowRacingLineTest, TheMenuKeyOpensTheLapMenu) {
    QContextMenuEvent byKey(QContextMenuEvent::Keyboard, QPoint(10, 10),
                            form->lapTable->viewport()->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(form->lapTable->viewport(), &byKey);
    ASSERT_TRUE(form->lapMenu->isVisible());
    QStringList texts;
    for (const QAction* action : form->lapMenu->actions())
        texts << action->text();
    EXPECT_EQ(texts, QStringList({"走行ラインを表示", "走行ライン画像を保存…", "GPXで保存…"}));
    form->lapMenu->close();
}

TEST_F(WindowRacingLineTest, ShowsTheSelectedLapsAndClosesWithEscape) {
    SelectRows(*form, 1, 2);
    form->showRacingLineAction->trigger();
    QWidget* view = form->RacingLineWindow();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->windowTitle(), "走行ライン");
    // Resized, the picture keeps its proportions.
    view->resize(1000, 400);
    const QRectF picture = static_cast<RacingLineView*>(view)->PictureRect();
    EXPECT_NEAR(picture.width() / picture.height(), 1200.0 / 900.0, 1e-9);
    EXPECT_LE(picture.height(), 400.0);
    QTest::keyClick(view, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->RacingLineWindow(), nullptr);  // closed and gone
    EXPECT_TRUE(errors.empty());
}

TEST_F(WindowRacingLineTest, ADoubleClickShowsThatLap) {
    // The first click of the two presses the row, the second one doubles it.
    ClickRow(*form, 3);
    QTest::mouseDClick(form->lapTable->viewport(), Qt::LeftButton, {}, RowCentre(*form, 3));
    ASSERT_NE(form->RacingLineWindow(), nullptr);
    EXPECT_EQ(SelectedLapRows(*form), std::make_pair(3, 3));
    form->RacingLineWindow()->close();
}

TEST_F(WindowRacingLineTest, SavesThePictureAsSvgOrPng) {
    const struct {
        const char* entered;
        const char* written;
        const char* magic;
    } cases[] = {{"line", "line.svg", "<?xml"},
                 {"line.txt", "line.svg", "<?xml"},
                 {"shot.png", "shot.png", "\x89PNG"}};
    SelectRows(*form, 2, 3);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entered);
        prompts = ScriptedPrompts();
        prompts.savePath = OutFolder() + c.entered;
        prompts.overwrite = true;  // the second case replaces the first one's file
        form->saveRacingLineAction->trigger();
        EXPECT_EQ(prompts.savePresets, std::vector<std::string>{"Temp0002.svg"});
        EXPECT_EQ(prompts.saveTypes, std::vector<SaveType>{SaveType::Picture});
        EXPECT_EQ(prompts.informations,
                  std::vector<std::string>{std::string(c.written) + " を出力しました。"});
        const std::string bytes = ReadBytes(OutFolder() + c.written);
        EXPECT_EQ(bytes.substr(0, std::string(c.magic).size()), c.magic);
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(WindowRacingLineTest, SavesGpxAskingBeforeReplacing) {
    SelectRows(*form, 1, 1);
    WriteBytes(OutFolder() + "laps.gpx", "kept");
    prompts.savePath = OutFolder() + "laps";
    form->saveGpxAction->trigger();  // "No" to the question
    EXPECT_EQ(prompts.warnings,
              std::vector<std::string>{"laps.gpx は既に存在します。\r上書きしますか?"});
    EXPECT_EQ(ReadBytes(OutFolder() + "laps.gpx"), "kept");
    prompts.overwrite = true;
    form->saveGpxAction->trigger();
    EXPECT_EQ(prompts.savePresets, (std::vector<std::string>{"Temp0001.gpx", "Temp0001.gpx"}));
    EXPECT_EQ(prompts.informations, std::vector<std::string>{"laps.gpx を出力しました。"});
    const ProgramRun lint =
        RunProgram("/usr/bin/xmllint", {"--noout", OutFolder() + "laps.gpx"}, OutFolder());
    EXPECT_EQ(lint.status, 0) << lint.err;
}

TEST_F(WindowRacingLineTest, LapsThatCannotBeLoadedAreAnError) {
    std::filesystem::remove(AppDataTemp() + "Temp0002.dtb");
    SelectRows(*form, 2, 2);
    form->showRacingLineAction->trigger();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text.toStdString(),
              "選択したラップを読み込めませんでした。何も出力していません: 0002.");
    EXPECT_EQ(form->RacingLineWindow(), nullptr);
}

}  // namespace
