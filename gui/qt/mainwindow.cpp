#include "gui/qt/mainwindow.h"

#include <QApplication>
#include <QFont>
#include <QHeaderView>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <array>
#include <climits>

#include "gui/layout.h"
#include "gui/qt/errorbox.h"
#include "gui/qt/qtprompts.h"
#include "gui/qt/racinglineview.h"
#include "platform/system.h"

namespace {

QFont WindowFont() {
    QFont font;
    // The Japanese Gothic face of the platform the window was drawn for, then
    // its metric-compatible stand-in, then any Japanese Gothic.
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(15);
    return font;
}

QRect RectOf(const ControlPlace& place) {
    return QRect(place.left, place.top, place.width, place.height);
}

QLabel* NewLabel(QWidget* parent, const ControlPlace& place) {
    auto* label = new QLabel(QString::fromUtf8(place.text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // At least as wide as its text, so that a face with wider glyphs than
    // the one the layout was drawn with never cuts a sentence short.
    const QRect drawn = RectOf(place);
    label->setGeometry(QRect(drawn.topLeft(), drawn.size().expandedTo(label->sizeHint())));
    return label;
}

QPushButton* NewButton(QWidget* parent, const ControlPlace& place) {
    auto* button = new QPushButton(QString::fromUtf8(place.text), parent);
    button->setGeometry(RectOf(place));
    // Enter presses the focused button, as Space does.
    button->setAutoDefault(true);
    return button;
}

void SetUpLapTable(QTableWidget& table) {
    table.setColumnCount(static_cast<int>(kLapListColumns));
    table.setRowCount(1);  // one empty row until the laps are listed
    QStringList headings;
    for (const std::string& heading : kLapListHeadings)
        headings << QString::fromStdString(heading);
    table.setHorizontalHeaderLabels(headings);
    for (int col = 0; col < static_cast<int>(kLapListColumns); ++col)
        table.setColumnWidth(col, kLapColumnWidths[static_cast<std::size_t>(col)]);
    QHeaderView& header = *table.horizontalHeader();
    header.setFixedHeight(kLapRowHeight);
    header.setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header.setHighlightSections(false);
    header.setSectionResizeMode(QHeaderView::Interactive);
    QHeaderView& rows = *table.verticalHeader();
    rows.hide();
    rows.setMinimumSectionSize(kLapRowHeight);
    rows.setDefaultSectionSize(kLapRowHeight);
    rows.setSectionResizeMode(QHeaderView::Fixed);
    table.setSelectionBehavior(QAbstractItemView::SelectRows);
    table.setSelectionMode(QAbstractItemView::ContiguousSelection);
    table.setEditTriggers(QAbstractItemView::NoEditTriggers);
    table.setTabKeyNavigation(false);  // Tab leaves the list for the button
    table.setShowGrid(true);
    table.setWordWrap(false);
    table.setTextElideMode(Qt::ElideNone);
    // A list of rows scrolls by rows, never leaving half a row at the top.
    table.setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    table.setCurrentCell(0, 0);
}

}  // namespace

MainWindow::MainWindow(const ProgramVersion& version, QWidget* parent)
    : QWidget(parent), version_(version) {
    CreateControls();
    ownPrompts_ = std::make_unique<QtPrompts>(*openDialog, *saveDialog, this);
    prompts_ = ownPrompts_.get();
    Run([this] {
        saveDialog->setDirectory(QString::fromStdString(platform::DocumentsFolder()));
        session_ = StartSession(version_);
        ShowFolderHint();
        // The list is filled from the event loop, once the window is up.
        if (!session_.lapFileNames.empty())
            QCoreApplication::postEvent(this, new QEvent(kFillLapListEvent));
    });
}

MainWindow::~MainWindow() = default;

void MainWindow::CreateControls() {
    setWindowTitle(QString::fromUtf8(kCaptionPrefix) + QString::fromLatin1(version_.version));
    setFont(WindowFont());
    resize(kWindowWidth, kWindowHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - kWindowWidth) / 2,
             area.y() + (area.height() - kWindowHeight) / 2);
    }

    lapTable = new QTableWidget(this);
    SetUpLapTable(*lapTable);
    lapTable->setGeometry(0, 0, kLapTableWidth, height());
    introLabel = NewLabel(this, kTextLabels[0]);
    instructionLabel1 = NewLabel(this, kTextLabels[1]);
    instructionLabel2 = NewLabel(this, kTextLabels[2]);
    exportButton = NewButton(this, kExportButton);
    launchNoteLabel1 = NewLabel(this, kTextLabels[3]);
    launchNoteLabel2 = NewLabel(this, kTextLabels[4]);
    rawLogButton = NewButton(this, kRawLogButton);
    pickedFilesButton = NewButton(this, kPickedFilesButton);
    rawLogButton->hide();  // their commands stay out of the user's reach
    pickedFilesButton->hide();

    // Where the laps were looked for, small and grey in the free space below
    // the texts (over the hidden buttons, which never show).
    folderHintLabel = new QLabel(this);
    folderHintLabel->setTextFormat(Qt::PlainText);
    folderHintLabel->setWordWrap(true);
    folderHintLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont hintFont = font();
    hintFont.setPixelSize(12);
    folderHintLabel->setFont(hintFont);
    QPalette grey = folderHintLabel->palette();
    grey.setColor(QPalette::WindowText, QColor(0x70, 0x70, 0x70));
    folderHintLabel->setPalette(grey);
    folderHintLabel->setGeometry(RectOf(kFolderHint));

    setTabOrder(rawLogButton, lapTable);
    setTabOrder(lapTable, pickedFilesButton);
    setTabOrder(pickedFilesButton, exportButton);
    lapTable->setFocus();

    openDialog = new QFileDialog(this);
    SetUpOpenDialog(*openDialog, QString::fromStdString(platform::AnalysisSoftwareDataFolder()));
    saveDialog = new QFileDialog(this);
    SetUpSaveDialog(*saveDialog);

    CreateLapMenu();

    connect(exportButton, &QPushButton::clicked, this, &MainWindow::ExportSelectedLaps);
    connect(rawLogButton, &QPushButton::clicked, this, &MainWindow::ExportRawLog);
    connect(pickedFilesButton, &QPushButton::clicked, this, &MainWindow::ExportPickedLapFiles);
}

void MainWindow::CreateLapMenu() {
    lapMenu = new QMenu(this);
    showRacingLineAction = lapMenu->addAction(QStringLiteral("走行ラインを表示"));
    saveRacingLineAction = lapMenu->addAction(QStringLiteral("走行ライン画像を保存…"));
    saveGpxAction = lapMenu->addAction(QStringLiteral("GPXで保存…"));
    connect(showRacingLineAction, &QAction::triggered, this, &MainWindow::ShowRacingLine);
    connect(saveRacingLineAction, &QAction::triggered, this, &MainWindow::SaveRacingLine);
    connect(saveGpxAction, &QAction::triggered, this, &MainWindow::SaveGpx);
    lapTable->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lapTable, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (session_.lapRows.empty()) return;  // nothing to draw
        lapMenu->popup(lapTable->viewport()->mapToGlobal(at));
    });
    // A double click shows that lap's racing line.
    connect(lapTable, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (row < 0 || static_cast<std::size_t>(row) >= session_.lapRows.size()) return;
        lapTable->selectRow(row);
        ShowRacingLine();
    });
}

void MainWindow::SetPrompts(Prompts* prompts) {
    prompts_ = prompts != nullptr ? prompts : ownPrompts_.get();
}

void MainWindow::SetErrorDisplay(ErrorDisplay display) {
    errorDisplay_ = std::move(display);
}

void MainWindow::Run(const std::function<void()>& command) noexcept {
    try {
        command();
    } catch (...) {
        const QString caption = ErrorBoxCaption();
        const QString text = ErrorBoxText(DescribeCurrentException());
        if (errorDisplay_)
            errorDisplay_(caption, text);
        else
            ShowErrorBox(QApplication::activeWindow(), caption, text);
    }
}

std::optional<RowRange> MainWindow::SelectedRows() const {
    // The list allows one block only; should it ever hold more, the rows
    // from the first to the last are meant.
    int top = INT_MAX, bottom = -1;
    for (const QTableWidgetSelectionRange& range : lapTable->selectedRanges()) {
        top = std::min(top, range.topRow());
        bottom = std::max(bottom, range.bottomRow());
    }
    if (bottom < 0) {
        if (lapTable->currentRow() < 0) return std::nullopt;
        top = bottom = lapTable->currentRow();
    }
    return RowRange{static_cast<std::size_t>(top), static_cast<std::size_t>(bottom)};
}

void MainWindow::ExportSelectedLaps() {
    Run([this] { ExportSelectedLapsCommand(session_, SelectedRows(), *prompts_); });
}

void MainWindow::ExportPickedLapFiles() {
    Run([this] { ExportPickedLapFilesCommand(session_, *prompts_); });
}

void MainWindow::ExportRawLog() {
    Run([this] { ExportRawLogCommand(session_, *prompts_); });
}

void MainWindow::ShowRacingLine() {
    Run([this] {
        if (session_.lapRows.empty()) return;
        auto* view = new RacingLineView(RacingLineOfSelection(session_, SelectedRows()), this);
        racingLineWindow_ = view;
        view->show();
    });
}

void MainWindow::SaveRacingLine() {
    Run([this] { SaveRacingLineCommand(session_, SelectedRows(), *prompts_, RenderPng); });
}

void MainWindow::SaveGpx() {
    Run([this] { SaveGpxCommand(session_, SelectedRows(), *prompts_); });
}

void MainWindow::FillLapList() {
    Run([this] {
        // The rows made before an error are shown with it.
        struct ShowRows {
            MainWindow& window;
            ~ShowRows() {
                window.ShowLapRows();
                window.ShowFolderHint();
            }
        } show{*this};
        ::FillLapList(session_);
    });
}

void MainWindow::ShowLapRows() {
    const auto& rows = session_.lapRows;
    lapTable->setRowCount(std::max<int>(static_cast<int>(rows.size()), 1));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t col = 0; col < kLapListColumns; ++col) {
            auto* item = new QTableWidgetItem(QString::fromStdString(rows[r].cells[col]));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);  // never edited
            lapTable->setItem(static_cast<int>(r), static_cast<int>(col), item);
        }
    }
    if (!rows.empty()) {
        lapTable->setCurrentCell(0, 0);
        lapTable->selectRow(0);
    }
}

void MainWindow::ShowFolderHint() {
    QString hint = QString::fromStdString(LapListHint(session_));
    hint.replace(u'\r', u'\n');
    folderHintLabel->setText(hint);
}

void MainWindow::customEvent(QEvent* event) {
    if (event->type() == kFillLapListEvent) FillLapList();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    // Docked left: the list keeps its width and fills the inner height.
    lapTable->setGeometry(0, 0, kLapTableWidth, event->size().height());
    QWidget::resizeEvent(event);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The frame is known only once the window manager has put one around
    // the window, which may be a moment after it is shown.
    QTimer::singleShot(0, this, [this] { FitOuterSize(); });
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    FitOuterSize();
}

void MainWindow::FitOuterSize() {
    if (outerSizeFitted_ || !isVisible()) return;
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame.width() <= 0 && frame.height() <= 0) return;  // no frame reported (yet)
    outerSizeFitted_ = true;
    resize(kWindowWidth - frame.width(), kWindowHeight - frame.height());
}
