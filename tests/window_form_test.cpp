// The window as it comes up: its controls, the data folder lookups of both
// programs, the lap list filled from the event loop, selecting and focus.
#include <QApplication>
#include <QFontInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <filesystem>

#include "lapdata/lapslot.h"
#include "tests/kit/programs.h"
#include "tests/kit/prompts.h"
#include "tests/windowkit.h"
#include "tools/sessiongen.h"
#include "gui/qt/unit1.h"

namespace {

const std::string kLapcsv = LAPCSV_PATH;

std::string Text(const QString& text) {
    return text.toStdString();
}

TEST_F(WindowTest, ShowsTheControlsAsDrawn) {
    struct Caption {
        const TDeliverable& Deliverable;
        QString Text;
    };
    for (const Caption& c : {Caption{kLaprix2Quorbel, "Laprix to CSV for Quorbel Ver1.1.0"},
                             Caption{kLaprix2QuorbelII, "Laprix to CSV for Quorbel Ver2.0.0"}}) {
        auto form = Create(c.Deliverable);
        EXPECT_EQ(form->windowTitle(), c.Text);
    }

    auto form = Create(kLaprix2QuorbelII);
    form->show();
    EXPECT_EQ(form->size(), QSize(891, 303));
    EXPECT_EQ(form->font().families(),
              QStringList({"ＭＳ Ｐゴシック", "IPAPGothic", "Noto Sans CJK JP"}));
    EXPECT_EQ(form->font().pixelSize(), 15);
    // The face drawn is one of them (our scripts install IPAPGothic), never
    // a face without Japanese glyphs.
    EXPECT_TRUE(form->font().families().contains(QFontInfo(form->Label1->font()).family()))
        << QFontInfo(form->Label1->font()).family().toStdString();

    struct Label {
        QLabel* Control;
        const char* Text;
        QPoint Place;
    };
    for (const Label& l : {
             Label{form->Label1, "\"Quorbel\"用のCSVファイルを出力します。", {560, 8}},
             Label{form->Label2, "ラップ、あるいは連続する複数のラップを", {560, 32}},
             Label{form->Label3, "選択し「出力」ボタンをクリックして下さい。", {560, 56}},
             Label{form->Label4, "※Laprix解析ソフトを実行し、出力したい", {560, 144}},
             Label{form->Label5, "\u3000 データを表示している状態で起動してください。", {560, 160}},
         }) {
        EXPECT_EQ(Text(l.Control->text()), l.Text);
        EXPECT_EQ(l.Control->pos(), l.Place) << l.Text;
        EXPECT_TRUE(l.Control->isVisible()) << l.Text;
        EXPECT_EQ(l.Control->focusPolicy(), Qt::NoFocus) << l.Text;
    }

    struct Button {
        QPushButton* Control;
        const char* Caption;
        QRect Place;
        bool Visible;
    };
    for (const Button& b : {Button{form->ButtonCnv, "出力", {664, 88, 75, 25}, true},
                            Button{form->ButtonGo, "..", {560, 206, 33, 25}, false},
                            Button{form->Button1, "Button1", {560, 240, 75, 25}, false}}) {
        EXPECT_EQ(Text(b.Control->text()), b.Caption);
        EXPECT_EQ(b.Control->geometry(), b.Place) << b.Caption;
        EXPECT_EQ(b.Control->isVisible(), b.Visible) << b.Caption;
    }

    QTableWidget& grid = *form->StringGrid1;
    EXPECT_EQ(grid.geometry(), QRect(0, 0, 553, 303));
    ASSERT_EQ(grid.columnCount(), 6);
    const int widths[] = {77, 101, 82, 78, 94, 77};
    for (int col = 0; col < 6; ++col) {
        EXPECT_EQ(grid.columnWidth(col), widths[col]) << col;
        EXPECT_EQ(Text(grid.horizontalHeaderItem(col)->text()),
                  kLapHeadings[static_cast<std::size_t>(col)]);
    }
    EXPECT_EQ(grid.horizontalHeader()->height(), 24);
    EXPECT_EQ(grid.rowHeight(0), 24);
    EXPECT_EQ(form->Grid().RowCount(), 2);  // the heading row and one empty row
    EXPECT_EQ(form->Grid().Cell(0, 1), "");
    EXPECT_FALSE(grid.verticalHeader()->isVisible());
    EXPECT_EQ(grid.horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    EXPECT_EQ(grid.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(grid.selectionMode(), QAbstractItemView::ContiguousSelection);
    EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_TRUE(grid.showGrid());
    EXPECT_EQ(grid.currentRow(), 0);
    EXPECT_EQ(form->Grid().SelectionTop(), 1);
    EXPECT_EQ(form->Grid().SelectionBottom(), 1);
}

TEST_F(WindowTest, KeepsTheGridDockedLeftWhenResized) {
    auto form = Create(kLaprix2QuorbelII);
    form->show();
    form->resize(1200, 500);
    EXPECT_EQ(form->StringGrid1->geometry(), QRect(0, 0, 553, 500));
    EXPECT_EQ(form->ButtonCnv->geometry(), QRect(664, 88, 75, 25));
}

TEST_F(WindowTest, FocusStartsInTheGridAndTabGoesToTheButtonAndBack) {
    auto form = Create(kLaprix2QuorbelII);
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_EQ(QApplication::focusWidget(), form->StringGrid1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form->ButtonCnv);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form->StringGrid1);
}

// Both programs' lookups of the data folder, on prefixes with and without
// laps: the list is filled from the one message, posted only when names
// were found.
TEST_F(WindowTest, FindsTheLapsOfEitherProgram) {
    enum class Laps { None, AppData, Registry, WorkFolder };
    struct Case {
        const char* Name;
        const TDeliverable& Deliverable;
        Laps Where;
        int LapCount;
        bool PrefixMissing;
        std::string ExpectedTempDir;  // "<prefix>" stands for the prefix
    };
    const Case cases[] = {
        {"2.0.0 with laps", kLaprix2QuorbelII, Laps::AppData, 4, false,
         "<prefix>/drive_c/ProgramData/Laprix/temp/"},
        {"2.0.0 with one lap", kLaprix2QuorbelII, Laps::AppData, 1, false,
         "<prefix>/drive_c/ProgramData/Laprix/temp/"},
        {"1.1.0 with laps", kLaprix2Quorbel, Laps::Registry, 3, false,
         "<prefix>/dosdevices/c:/Program Files/Laprix/Temp/"},
        {"2.0.0 on an empty prefix", kLaprix2QuorbelII, Laps::None, 0, false,
         "<prefix>/drive_c/ProgramData/Laprix/temp/"},
        {"1.1.0 on an empty prefix", kLaprix2Quorbel, Laps::None, 0, false, ""},
        {"2.0.0 on a missing prefix", kLaprix2QuorbelII, Laps::None, 0, true,
         "<prefix>/drive_c/ProgramData/Laprix/temp/"},
        {"1.1.0 on a missing prefix", kLaprix2Quorbel, Laps::None, 0, true, ""},
        // Without its registry value 1.1.0 looks in the current folder.
        {"1.1.0 with laps in the current folder", kLaprix2Quorbel, Laps::WorkFolder, 2, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        StartAfresh();
        if (c.PrefixMissing) std::filesystem::remove_all(Prefix());
        if (c.Where == Laps::AppData) WriteAppDataSession(c.LapCount);
        if (c.Where == Laps::Registry) WriteRegistrySession(c.LapCount);
        if (c.Where == Laps::WorkFolder)
            WriteSession(WorkFolder(), {.laps = c.LapCount, .samplesPerLap = 20});

        auto form = Create(c.Deliverable);
        std::string expectedTempDir = c.ExpectedTempDir;
        if (expectedTempDir.starts_with("<prefix>")) expectedTempDir.replace(0, 8, Prefix());
        EXPECT_EQ(TempDir, expectedTempDir);
        EXPECT_EQ(TempList.size(), static_cast<std::size_t>(c.LapCount));
        EXPECT_EQ(LapDt.size(), 1u);
        EXPECT_EQ(form->Grid().RowCount(), 2);  // nothing listed before the event loop runs
        form->show();
        EXPECT_EQ(DeliverLoadListMsg(*form), c.LapCount > 0 ? 1 : 0);
        EXPECT_EQ(DeliverLoadListMsg(*form), 0);
        EXPECT_EQ(LapRowCount, c.LapCount);
        EXPECT_EQ(form->Grid().RowCount(), std::max(2, c.LapCount + 1));
        EXPECT_EQ(form->Grid().Cell(0, 1), c.LapCount > 0 ? "0001" : "");
        EXPECT_TRUE(errors.empty());
    }
}

TEST_F(WindowTest, ListsTheLapsAsLapcsvDoes) {
    WriteAppDataSession(5);
    auto form = Open(kLaprix2QuorbelII);

    const ProgramRun list = RunProgram(kLapcsv, {"list", "--dir", AppDataTemp()}, WorkFolder());
    ASSERT_EQ(list.status, 0) << list.err;
    std::string shown;
    for (int row = 0; row < form->Grid().RowCount(); ++row) {
        for (int col = 0; col < kLapColumns; ++col) {
            if (col > 0) shown += '\t';
            shown += form->Grid().Cell(col, row);
        }
        shown += '\n';
    }
    EXPECT_EQ(shown, list.out);
    EXPECT_EQ(form->Grid().RowCount(), 6);
    EXPECT_EQ(LapRowCount, 5);
    EXPECT_EQ(form->Grid().Cell(0, 5), "0005");
    EXPECT_EQ(form->Grid().Cell(1, 1), "2012/05/03");
    EXPECT_EQ(form->Grid().Cell(2, 1), "12:00:00");
}

TEST_F(WindowTest, SelectsOneRowOrABlockWithTheMouse) {
    enum class Step { Click, ShiftClick, Drag };
    struct Action {
        Step Kind;
        int Row;
        int To = 0;  // for a drag
    };
    struct Case {
        const char* Name;
        std::vector<Action> Actions;
        int Top, Bottom;
    };
    const Case cases[] = {
        {"a click", {{Step::Click, 3}}, 3, 3},
        {"a shift-click below", {{Step::Click, 2}, {Step::ShiftClick, 4}}, 2, 4},
        {"a shift-click above", {{Step::Click, 4}, {Step::ShiftClick, 1}}, 1, 4},
        {"a drag", {{Step::Drag, 1, 3}}, 1, 3},
        {"a click after a block", {{Step::Drag, 1, 3}, {Step::Click, 5}}, 5, 5},
    };
    WriteAppDataSession(5, 20);
    auto form = Open(kLaprix2QuorbelII);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        for (const Action& a : c.Actions) {
            if (a.Kind == Step::Click) ClickRow(*form, a.Row);
            if (a.Kind == Step::ShiftClick) ClickRow(*form, a.Row, Qt::ShiftModifier);
            if (a.Kind == Step::Drag) DragRows(*form, a.Row, a.To);
        }
        EXPECT_EQ(form->Grid().SelectionTop(), c.Top);
        EXPECT_EQ(form->Grid().SelectionBottom(), c.Bottom);
        EXPECT_EQ(form->StringGrid1->selectedRanges().size(), 1);
        EXPECT_EQ(form->StringGrid1->selectedRanges().value(0).columnCount(), kLapColumns);
    }
    // A double click edits nothing.
    QTest::mouseDClick(form->StringGrid1->viewport(), Qt::LeftButton, {}, RowCentre(*form, 2));
    EXPECT_TRUE(form->StringGrid1->findChildren<QLineEdit*>().isEmpty());
    EXPECT_EQ(form->Grid().Cell(0, 2), "0002");
}

TEST_F(WindowTest, StartsTheDialogsInTheirFolders) {
    struct Case {
        const char* Name;
        bool HasDocuments;
        std::string SaveFolder;
    };
    // The analysis software is installed: the open dialog's folder exists.
    WriteRegistrySession(1, 10);
    std::filesystem::create_directories(Prefix() + "/drive_c/Program Files/Laprix/Data");
    for (const Case& c : {Case{"with a documents folder", true, Home() + "/Documents"},
                          Case{"without one", false, Home()}}) {
        SCOPED_TRACE(c.Name);
        if (c.HasDocuments) std::filesystem::create_directories(Home() + "/Documents");
        auto form = Create(kLaprix2QuorbelII);
        EXPECT_EQ(form->SaveDialog1->directory().absolutePath().toStdString(), c.SaveFolder);
        EXPECT_EQ(form->OpenDialog1->directory().absolutePath().toStdString(),
                  Prefix() + "/dosdevices/c:/Program Files/Laprix/Data");
        std::filesystem::remove_all(Home() + "/Documents");
    }
}

TEST_F(WindowTest, ReleasesTheSlotAndTheListWhenDestroyed) {
    WriteAppDataSession(2, 20);
    auto form = Open(kLaprix2QuorbelII);
    ASSERT_EQ(LapDt.size(), 1u);
    ASSERT_EQ(TempList.size(), 2u);
    form->close();
    form.reset();
    EXPECT_TRUE(LapDt.empty());
    EXPECT_TRUE(TempList.empty());
}

}  // namespace
