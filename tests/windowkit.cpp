#include "tests/windowkit.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTest>
#include <climits>
#include <cstdlib>
#include <filesystem>

#include "tools/sessiongen.h"

namespace {

// Counts the private messages that reach the window.
class FillEventCounter : public QObject {
  public:
    int count = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == kFillLapListEvent) ++count;
        return false;
    }
};

SessionOptions Laps(int laps, int samples) {
    SessionOptions options;
    options.laps = laps;
    options.samplesPerLap = samples;
    return options;
}

}  // namespace

void WindowTest::SetUp() {
    std::filesystem::create_directories(Prefix());
    std::filesystem::create_directories(WorkFolder());
    std::filesystem::create_directories(Home());
    std::filesystem::create_directories(OutFolder());
    ::setenv("WINEPREFIX", Prefix().c_str(), 1);
    ::setenv("HOME", Home().c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_DOCUMENTS_DIR");
    oldCwd_ = std::filesystem::current_path().string();
    std::filesystem::current_path(WorkFolder());

    errors.clear();
}

void WindowTest::TearDown() {
    std::filesystem::current_path(oldCwd_);
    ::unsetenv("WINEPREFIX");
}

void WindowTest::StartAfresh() {
    TearDown();
    for (const std::string& folder : {Prefix(), WorkFolder(), Home(), OutFolder()})
        std::filesystem::remove_all(folder);
    SetUp();
}

void WindowTest::WriteAppDataSession(int laps, int samples) {
    WriteSession(AppDataTemp(), Laps(laps, samples));
}

void WindowTest::WriteRegistrySession(int laps, int samples) {
    std::filesystem::create_directories(Prefix() + "/dosdevices");
    std::filesystem::create_directories(Prefix() + "/drive_c/Program Files/Laprix");
    std::filesystem::create_directory_symlink("../drive_c", Prefix() + "/dosdevices/c:");
    WriteSession(Prefix() + "/drive_c/Program Files/Laprix/Temp/", Laps(laps, samples));
    WriteBytes(Prefix() + "/user.reg",
               "WINE REGISTRY Version 2\n"
               ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
               "[Software\\\\Laprix] 1336046400\n"
               "\"InstallPath\"=\"C:\\\\Program Files\\\\Laprix\\\\\"\n");
}

std::unique_ptr<MainWindow> WindowTest::Create(const ProgramVersion& version) {
    auto window = std::make_unique<MainWindow>(version);
    window->SetErrorDisplay([this](const QString& caption, const QString& text) {
        errors.push_back({caption, text});
    });
    return window;
}

int WindowTest::DeliverFillLapList(MainWindow& window) {
    FillEventCounter counter;
    window.installEventFilter(&counter);
    QCoreApplication::sendPostedEvents(&window, kFillLapListEvent);
    window.removeEventFilter(&counter);
    return counter.count;
}

std::unique_ptr<MainWindow> WindowTest::Open(const ProgramVersion& version) {
    auto window = Create(version);
    window->show();
    DeliverFillLapList(*window);
    return window;
}

std::string CellText(const MainWindow& window, int col, int row) {
    const QTableWidgetItem* item =
        row == 0 ? window.lapTable->horizontalHeaderItem(col) : window.lapTable->item(row - 1, col);
    return item != nullptr ? item->text().toStdString() : std::string();
}

int ShownRows(const MainWindow& window) {
    return window.lapTable->rowCount() + 1;
}

std::pair<int, int> SelectedLapRows(const MainWindow& window) {
    int top = INT_MAX, bottom = -1;
    for (const QTableWidgetSelectionRange& range : window.lapTable->selectedRanges()) {
        top = std::min(top, range.topRow());
        bottom = std::max(bottom, range.bottomRow());
    }
    if (bottom < 0) top = bottom = window.lapTable->currentRow();
    return {top + 1, bottom + 1};
}

QPoint RowCentre(MainWindow& form, int row) {
    QTableWidget& grid = *form.lapTable;
    return grid.visualRect(grid.model()->index(row - 1, 0)).center();
}

void ClickRow(MainWindow& form, int row, Qt::KeyboardModifiers keys) {
    QTest::mouseClick(form.lapTable->viewport(), Qt::LeftButton, keys, RowCentre(form, row));
}

void DragRows(MainWindow& form, int from, int to) {
    QWidget* viewport = form.lapTable->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, RowCentre(form, from));
    QTest::mouseMove(viewport, RowCentre(form, to));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, RowCentre(form, to));
}

void SelectRows(MainWindow& form, int top, int bottom) {
    ClickRow(form, top);
    if (bottom != top) ClickRow(form, bottom, Qt::ShiftModifier);
}
