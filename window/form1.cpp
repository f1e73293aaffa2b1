#include "window/form1.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QHeaderView>
#include <QResizeEvent>
#include <QScreen>
#include <QStandardPaths>
#include <array>

#include "export/overlay.h"
#include "export/rawlog.h"
#include "lapdata/lapslot.h"
#include "laplist/datafolder.h"
#include "laplist/lapfiles.h"
#include "laplist/laplistwalk.h"
#include "window/errorbox.h"
#include "window/qtprompts.h"
#include "window/unit1.h"

const TDeliverable kLaprix2Quorbel{"1.1.0", TempDirByRegistry};
const TDeliverable kLaprix2QuorbelII{"2.0.0", TempDirByAppData};

namespace {

constexpr int kFormWidth = 891;
constexpr int kFormHeight = 303;
constexpr int kGridWidth = 553;
constexpr int kRowHeight = 24;
constexpr std::array<int, kLapColumns> kColumnWidths = {77, 101, 82, 78, 94, 77};

// The analysis software's data folder: where the open dialog starts until a
// command points it elsewhere.
constexpr const char* kLaprixDataFolder = "C:\\Program Files\\Laprix\\Data";

QFont FormFont() {
    QFont font;
    // The Japanese Gothic face of the platform the window was drawn for, then
    // its metric-compatible stand-in, then any Japanese Gothic.
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(15);
    return font;
}

QLabel* NewLabel(QWidget* parent, const QString& text, const QRect& place) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // At least as wide as its text, so that a face with wider glyphs than
    // the one the layout was drawn with never cuts a sentence short.
    label->setGeometry(QRect(place.topLeft(), place.size().expandedTo(label->sizeHint())));
    return label;
}

QPushButton* NewButton(QWidget* parent, const QString& caption, const QRect& place) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(place);
    return button;
}

void SetUpGrid(QTableWidget& grid) {
    grid.setColumnCount(kLapColumns);
    grid.setRowCount(1);  // the heading row lives in the header
    for (int col = 0; col < kLapColumns; ++col)
        grid.setColumnWidth(col, kColumnWidths[static_cast<std::size_t>(col)]);
    QHeaderView& headings = *grid.horizontalHeader();
    headings.setFixedHeight(kRowHeight);
    headings.setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    headings.setHighlightSections(false);
    headings.setSectionResizeMode(QHeaderView::Interactive);
    QHeaderView& rows = *grid.verticalHeader();
    rows.hide();
    rows.setMinimumSectionSize(kRowHeight);
    rows.setDefaultSectionSize(kRowHeight);
    rows.setSectionResizeMode(QHeaderView::Fixed);
    grid.setSelectionBehavior(QAbstractItemView::SelectRows);
    grid.setSelectionMode(QAbstractItemView::ContiguousSelection);
    grid.setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid.setTabKeyNavigation(false);  // Tab leaves the grid for the button
    grid.setShowGrid(true);
    grid.setWordWrap(false);
    grid.setTextElideMode(Qt::ElideNone);
    grid.setCurrentCell(0, 0);
}

// The user's documents folder, or the home folder when there is none.
QString DocumentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(documents).exists()) return documents;
    return QDir::homePath();
}

}  // namespace

TForm1::TForm1(const TDeliverable& deliverable, QWidget* parent)
    : QWidget(parent),
      StringGrid1(new QTableWidget(this)),
      deliverable_(deliverable),
      grid_(*StringGrid1) {
    CreateControls();
    ownPrompts_ = std::make_unique<QtPrompts>(*OpenDialog1, *SaveDialog1, this);
    prompts_ = ownPrompts_.get();
    RunHandler([this] { FormCreate(); });
}

TForm1::~TForm1() {
    FormDestroy();
}

void TForm1::CreateControls() {
    setWindowTitle(QStringLiteral("Laprix to CSV for Quorbel Ver") +
                   QString::fromLatin1(deliverable_.Version));
    setFont(FormFont());
    resize(kFormWidth, kFormHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - kFormWidth) / 2,
             area.y() + (area.height() - kFormHeight) / 2);
    }

    SetUpGrid(*StringGrid1);
    StringGrid1->setGeometry(0, 0, kGridWidth, height());
    Label1 = NewLabel(this, QStringLiteral("\"Quorbel\"用のCSVファイルを出力します。"),
                      QRect(560, 8, 288, 15));
    Label2 = NewLabel(this, QStringLiteral("ラップ、あるいは連続する複数のラップを"),
                      QRect(560, 32, 248, 15));
    Label3 = NewLabel(this, QStringLiteral("選択し「出力」ボタンをクリックして下さい。"),
                      QRect(560, 56, 258, 15));
    ButtonCnv = NewButton(this, QStringLiteral("出力"), QRect(664, 88, 75, 25));
    Label4 = NewLabel(this, QStringLiteral("※Laprix解析ソフトを実行し、出力したい"),
                      QRect(560, 144, 293, 15));
    Label5 = NewLabel(this, QStringLiteral("\u3000 データを表示している状態で起動してください。"),
                      QRect(560, 160, 305, 15));
    ButtonGo = NewButton(this, QStringLiteral(".."), QRect(560, 206, 33, 25));
    Button1 = NewButton(this, QStringLiteral("Button1"), QRect(560, 240, 75, 25));
    ButtonGo->hide();  // their commands stay out of the user's reach
    Button1->hide();

    setTabOrder(ButtonGo, StringGrid1);
    setTabOrder(StringGrid1, Button1);
    setTabOrder(Button1, ButtonCnv);
    StringGrid1->setFocus();

    OpenDialog1 = new QFileDialog(this);
    SetUpOpenDialog(*OpenDialog1,
                    QString::fromStdString(MapWindowsPath(WinePrefix(), kLaprixDataFolder)));
    SaveDialog1 = new QFileDialog(this);
    SetUpSaveDialog(*SaveDialog1);

    connect(ButtonCnv, &QPushButton::clicked, this, &TForm1::ButtonCnvClick);
    connect(ButtonGo, &QPushButton::clicked, this, &TForm1::ButtonGoClick);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
}

void TForm1::FormCreate() {
    SaveDialog1->setDirectory(DocumentsFolder());
    TempDir = deliverable_.FindTempDir(WinePrefix());
    SetUpLapSlot();
    WriteLapHeadings(grid_);
    TempList = FindLapFileNames(TempDir);
    // The list is filled from the event loop, once the window is up.
    if (!TempList.empty()) QCoreApplication::postEvent(this, new QEvent(kLoadListMsg));
}

void TForm1::FormDestroy() {
    ReleaseLapSlot();
    TempList = {};
}

void TForm1::SetPrompts(ExportPrompts* prompts) {
    prompts_ = prompts != nullptr ? prompts : ownPrompts_.get();
}

void TForm1::ButtonCnvClick() {
    RunHandler([this] { ::ButtonCnvClick(TempDir, grid_, *prompts_); });
}

void TForm1::Button1Click() {
    RunHandler([this] { ::Button1Click(TempDir, *prompts_); });
}

void TForm1::ButtonGoClick() {
    RunHandler([this] { ::ButtonGoClick(TempDir, *prompts_, PosBuf); });
}

void TForm1::LoadListMsg() {
    RunHandler([this] { ::LoadListMsg(TempDir, TempList, grid_, LapRowCount); });
}

void TForm1::customEvent(QEvent* event) {
    if (event->type() == kLoadListMsg) LoadListMsg();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    // Docked left: the grid keeps its width and fills the inner height.
    StringGrid1->setGeometry(0, 0, kGridWidth, event->size().height());
    QWidget::resizeEvent(event);
}
