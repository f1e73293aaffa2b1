// The window as it comes up: its controls, the data folder lookups of both
// programs, the lap list filled from the event loop, selecting and focus.
#include <QApplication>
#include <QFontInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <filesystem>

#include "tests/kit/programs.h"
#include "tests/kit/prompts.h"
#include "tests/windowkit.h"
#include "tools/sessiongen.h"

namespace {

const std::string kLapcsv = LAPCSV_PATH;

std::string Text(const QString& text) {
    return text.toStdString();
}

TEST_F(WindowTest, ShowsTheControlsAsDrawn) {
    struct Caption {
        const ProgramVersion& deliverable;
        QString text;
    };
    for (const Caption& c : {Caption{kVersion1, "Laprix to CSV for Quorbel Ver1.1.0"},
                             Caption{kVersion2, "Laprix to CSV for Quorbel Ver2.0.0"}}) {
        auto form = Create(c.deliverable);
        EXPECT_EQ(form->windowTitle(), c.text);
    }

    auto form = Create(kVersion2);
    form->show();
    EXPECT_EQ(form->size(), QSize(891, 303));
    EXPECT_EQ(form->font().families(),
              QStringList({"ＭＳ Ｐゴシック", "IPAPGothic", "Noto Sans CJK JP"}));
    EXPECT_EQ(form->font().pixelSize(), 15);
    // The face drawn is one of them (our scripts install IPAPGothic), never
    // a face without Japanese glyphs.
    EXPECT_TRUE(form->font().families().contains(QFontInfo(form->introLabel->font()).family()))
        << QFontInfo(form->introLabel->font()).family().toStdString();

    struct Label {
        QLabel* control;
        const char* text;
        QPoint place;
    };
    for (const Label& l : {
             Label{form->introLabel, "\"Quorbel\"用のCSVファイルを出力します。", {560, 8}},
             Label{form->instructionLabel1, "ラップ、あるいは連続する複数のラップを", {560, 32}},
             Label{
                 form->instructionLabel2, "選択し「出力」ボタンをクリックして下さい。", {560, 56}},
             Label{form->launchNoteLabel1, "※Laprix解析ソフトを実行し、出力したい", {560, 144}},
             Label{form->launchNoteLabel2,
                   "\u3000 データを表示している状態で起動してください。",
                   {560, 160}},
         }) {
        EXPECT_EQ(Text(l.control->text()), l.text);
        EXPECT_EQ(l.control->pos(), l.place) << l.text;
        EXPECT_TRUE(l.control->isVisible()) << l.text;
        EXPECT_EQ(l.control->focusPolicy(), Qt::NoFocus) << l.text;
    }

    struct Button {
        QPushButton* control;
        const char* caption;
        QRect place;
        bool visible;
    };
    for (const Button& b :
         {Button{form->exportButton, "出力", {664, 88, 75, 25}, true},
          Button{form->rawLogButton, "..", {560, 206, 33, 25}, false},
          Button{form->pickedFilesButton, "Button1", {560, 240, 75, 25}, false}}) {
        EXPECT_EQ(Text(b.control->text()), b.caption);
        EXPECT_EQ(b.control->geometry(), b.place) << b.caption;
        EXPECT_EQ(b.control->isVisible(), b.visible) << b.caption;
    }

    QTableWidget& grid = *form->lapTable;
    EXPECT_EQ(grid.geometry(), QRect(0, 0, 553, 303));
    ASSERT_EQ(grid.columnCount(), 6);
    const int widths[] = {77, 101, 82, 78, 94, 77};
    for (int col = 0; col < 6; ++col) {
        EXPECT_EQ(grid.columnWidth(col), widths[col]) << col;
        EXPECT_EQ(Text(grid.horizontalHeaderItem(col)->text()),
                  kLapListHeadings[static_cast<std::size_t>(col)]);
    }
    EXPECT_EQ(grid.horizontalHeader()->height(), 24);
    EXPECT_EQ(grid.rowHeight(0), 24);
    EXPECT_EQ(ShownRows(*form), 2);  // the heading row and one empty row
    EXPECT_EQ(CellText(*form, 0, 1), "");
    EXPECT_FALSE(grid.verticalHeader()->isVisible());
    EXPECT_EQ(grid.horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    EXPECT_EQ(grid.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(grid.selectionMode(), QAbstractItemView::ContiguousSelection);
    EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_TRUE(grid.showGrid());
    // A list of rows scrolls by whole rows.
    EXPECT_EQ(grid.verticalScrollMode(), QAbstractItemView::ScrollPerItem);
    EXPECT_EQ(grid.currentRow(), 0);
    EXPECT_EQ(SelectedLapRows(*form).first, 1);
    EXPECT_EQ(SelectedLapRows(*form).second, 1);
}

TEST_F(WindowTest, KeepsTheGridDockedLeftWhenResized) {
    auto form = Create(kVersion2);
    form->show();
    form->resize(1200, 500);
    EXPECT_EQ(form->lapTable->geometry(), QRect(0, 0, 553, 500));
    EXPECT_EQ(form->exportButton->geometry(), QRect(664, 88, 75, 25));
}

TEST_F(WindowTest, FocusStartsInTheGridAndTabGoesToTheButtonAndBack) {
    auto form = Create(kVersion2);
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_EQ(QApplication::focusWidget(), form->lapTable);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form->exportButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form->lapTable);
}

// Both programs' lookups of the data folder, on prefixes with and without
// laps: the list is filled from the one message, posted only when names
// were found, and the hint below the texts says where the laps were looked
// for and, when none were found, why.
TEST_F(WindowTest, FindsTheLapsOfEitherProgram) {
    enum class Laps { None, EmptyFolder, AppData, Registry, WorkFolder };
    struct Case {
        const char* name;
        const ProgramVersion& deliverable;
        Laps where;
        int lapCount;
        bool prefixMissing;
        std::string expectedTempDir;  // "<prefix>" stands for the prefix
        const char* hintEnd;          // the sentence after the folder, if any
    };
    const char* kNoFolder = "このフォルダはありません。";
    const char* kNoLaps = "ラップファイルが見つかりません。";
    const char* kNoInstallPath =
        "Laprix のインストール先が登録されていないため、作業フォルダを探しました。";
    const Case cases[] = {
        {"2.0.0 with laps", kVersion2, Laps::AppData, 4, false,
         "<prefix>/drive_c/ProgramData/Laprix/temp/", ""},
        {"2.0.0 with one lap", kVersion2, Laps::AppData, 1, false,
         "<prefix>/drive_c/ProgramData/Laprix/temp/", ""},
        {"1.1.0 with laps", kVersion1, Laps::Registry, 3, false,
         "<prefix>/dosdevices/c:/Program Files/Laprix/Temp/", ""},
        {"2.0.0 on an empty prefix", kVersion2, Laps::None, 0, false,
         "<prefix>/drive_c/ProgramData/Laprix/temp/", kNoFolder},
        {"2.0.0 with an empty folder", kVersion2, Laps::EmptyFolder, 0, false,
         "<prefix>/drive_c/ProgramData/Laprix/temp/", kNoLaps},
        {"1.1.0 on an empty prefix", kVersion1, Laps::None, 0, false, "", kNoInstallPath},
        {"2.0.0 on a missing prefix", kVersion2, Laps::None, 0, true,
         "<prefix>/drive_c/ProgramData/Laprix/temp/", kNoFolder},
        {"1.1.0 on a missing prefix", kVersion1, Laps::None, 0, true, "", kNoInstallPath},
        // Without its registry value 1.1.0 looks in the current folder.
        {"1.1.0 with laps in the current folder", kVersion1, Laps::WorkFolder, 2, false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartAfresh();
        if (c.prefixMissing) std::filesystem::remove_all(Prefix());
        if (c.where == Laps::AppData) WriteAppDataSession(c.lapCount);
        if (c.where == Laps::EmptyFolder) std::filesystem::create_directories(AppDataTemp());
        if (c.where == Laps::Registry) WriteRegistrySession(c.lapCount);
        if (c.where == Laps::WorkFolder)
            WriteSession(WorkFolder(), {.laps = c.lapCount, .samplesPerLap = 20});

        auto form = Create(c.deliverable);
        std::string expectedTempDir = c.expectedTempDir;
        if (expectedTempDir.starts_with("<prefix>")) expectedTempDir.replace(0, 8, Prefix());
        EXPECT_EQ(form->CurrentSession().dataFolder, expectedTempDir);
        EXPECT_EQ(form->CurrentSession().lapFileNames.size(), static_cast<std::size_t>(c.lapCount));
        EXPECT_EQ(ShownRows(*form), 2);  // nothing listed before the event loop runs
        form->show();
        EXPECT_EQ(DeliverFillLapList(*form), c.lapCount > 0 ? 1 : 0);
        EXPECT_EQ(DeliverFillLapList(*form), 0);
        EXPECT_EQ(form->CurrentSession().lapRows.size(), static_cast<std::size_t>(c.lapCount));
        EXPECT_EQ(ShownRows(*form), std::max(2, c.lapCount + 1));
        EXPECT_EQ(CellText(*form, 0, 1), c.lapCount > 0 ? "0001" : "");
        EXPECT_TRUE(errors.empty());
        const std::string where = expectedTempDir.empty() ? WorkFolder() : expectedTempDir;
        std::string hint = "ラップファイルの場所: " + where;
        if (*c.hintEnd != '\0') hint += std::string("\n") + c.hintEnd;
        EXPECT_EQ(form->folderHintLabel->text().toStdString(), hint);
        EXPECT_TRUE(form->folderHintLabel->isVisible());
    }
}

TEST_F(WindowTest, ListsTheLaps) {
    WriteAppDataSession(5);
    auto form = Open(kVersion2);

    EXPECT_EQ(ShownRows(*form), 6);
    EXPECT_EQ(form->CurrentSession().lapRows.size(), 5u);
    // The first lap is the current, selected row: the focus mark is on it.
    EXPECT_EQ(form->lapTable->currentRow(), 0);
    EXPECT_EQ(SelectedLapRows(*form), std::make_pair(1, 1));
    EXPECT_EQ(CellText(*form, 0, 5), "0005");
    EXPECT_EQ(CellText(*form, 1, 1), "2012/05/03");
    EXPECT_EQ(CellText(*form, 2, 1), "12:00:00");
}

TEST_F(WindowTest, SelectsOneRowOrABlockWithTheMouse) {
    enum class Step { Click, ShiftClick, Drag };
    struct Action {
        Step kind;
        int row;
        int to = 0;  // for a drag
    };
    struct Case {
        const char* name;
        std::vector<Action> actions;
        int top, bottom;
    };
    const Case cases[] = {
        {"a click", {{Step::Click, 3}}, 3, 3},
        {"a shift-click below", {{Step::Click, 2}, {Step::ShiftClick, 4}}, 2, 4},
        {"a shift-click above", {{Step::Click, 4}, {Step::ShiftClick, 1}}, 1, 4},
        {"a drag", {{Step::Drag, 1, 3}}, 1, 3},
        {"a click after a block", {{Step::Drag, 1, 3}, {Step::Click, 5}}, 5, 5},
    };
    WriteAppDataSession(5, 20);
    auto form = Open(kVersion2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const Action& a : c.actions) {
            if (a.kind == Step::Click) ClickRow(*form, a.row);
            if (a.kind == Step::ShiftClick) ClickRow(*form, a.row, Qt::ShiftModifier);
            if (a.kind == Step::Drag) DragRows(*form, a.row, a.to);
        }
        EXPECT_EQ(SelectedLapRows(*form).first, c.top);
        EXPECT_EQ(SelectedLapRows(*form).second, c.bottom);
        EXPECT_EQ(form->lapTable->selectedRanges().size(), 1);
        EXPECT_EQ(form->lapTable->selectedRanges().value(0).columnCount(),
                  static_cast<int>(kLapListColumns));
    }
    // A double click edits nothing.
    QTest::mouseDClick(form->lapTable->viewport(), Qt::LeftButton, {}, RowCentre(*form, 2));
    EXPECT_TRUE(form->lapTable->findChildren<QLineEdit*>().isEmpty());
    EXPECT_EQ(CellText(*form, 0, 2), "0002");
}

TEST_F(WindowTest, StartsTheDialogsInTheirFolders) {
    struct Case {
        const char* name;
        bool hasDocuments;
        std::string saveFolder;
    };
    // The analysis software is installed: the open dialog's folder exists.
    WriteRegistrySession(1, 10);
    std::filesystem::create_directories(Prefix() + "/drive_c/Program Files/Laprix/Data");
    for (const Case& c : {Case{"with a documents folder", true, Home() + "/Documents"},
                          Case{"without one", false, Home()}}) {
        SCOPED_TRACE(c.name);
        if (c.hasDocuments) std::filesystem::create_directories(Home() + "/Documents");
        auto form = Create(kVersion2);
        EXPECT_EQ(form->saveDialog->directory().absolutePath().toStdString(), c.saveFolder);
        EXPECT_EQ(form->openDialog->directory().absolutePath().toStdString(),
                  Prefix() + "/dosdevices/c:/Program Files/Laprix/Data");
        std::filesystem::remove_all(Home() + "/Documents");
    }
}

}  // namespace
