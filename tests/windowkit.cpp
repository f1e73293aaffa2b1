#include "tests/windowkit.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTest>
#include <cstdlib>
#include <filesystem>

#include "lapdata/lapslot.h"
#include "tools/sessiongen.h"
#include "gui/qt/errorbox.h"
#include "gui/qt/unit1.h"

namespace {

// Counts the private messages that reach the window.
class LoadListMsgCounter : public QObject {
  public:
    int Count = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == kLoadListMsg) ++Count;
        return false;
    }
};

SessionOptions Session(int laps, int samples) {
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

    // The unit's state as a new process has it.
    TempDir.clear();
    TempList.clear();
    LapRowCount = 0;
    PosBuf.clear();
    errors.clear();
    SetErrorBoxDisplay([this](const QString& caption, const QString& text) {
        errors.push_back({caption, text});
    });
}

void WindowTest::TearDown() {
    SetErrorBoxDisplay({});
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
    WriteSession(AppDataTemp(), Session(laps, samples));
}

void WindowTest::WriteRegistrySession(int laps, int samples) {
    std::filesystem::create_directories(Prefix() + "/dosdevices");
    std::filesystem::create_directories(Prefix() + "/drive_c/Program Files/Laprix");
    std::filesystem::create_directory_symlink("../drive_c", Prefix() + "/dosdevices/c:");
    WriteSession(Prefix() + "/drive_c/Program Files/Laprix/Temp/", Session(laps, samples));
    WriteBytes(Prefix() + "/user.reg",
               "WINE REGISTRY Version 2\n"
               ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
               "[Software\\\\Laprix] 1336046400\n"
               "\"InstallPath\"=\"C:\\\\Program Files\\\\Laprix\\\\\"\n");
}

std::unique_ptr<TForm1> WindowTest::Create(const TDeliverable& deliverable) {
    return std::make_unique<TForm1>(deliverable);
}

int WindowTest::DeliverLoadListMsg(TForm1& form) {
    LoadListMsgCounter counter;
    form.installEventFilter(&counter);
    QCoreApplication::sendPostedEvents(&form, kLoadListMsg);
    form.removeEventFilter(&counter);
    return counter.Count;
}

std::unique_ptr<TForm1> WindowTest::Open(const TDeliverable& deliverable) {
    auto form = Create(deliverable);
    form->show();
    DeliverLoadListMsg(*form);
    return form;
}

QPoint RowCentre(TForm1& form, int row) {
    QTableWidget& grid = *form.StringGrid1;
    return grid.visualRect(grid.model()->index(row - 1, 0)).center();
}

void ClickRow(TForm1& form, int row, Qt::KeyboardModifiers keys) {
    QTest::mouseClick(form.StringGrid1->viewport(), Qt::LeftButton, keys, RowCentre(form, row));
}

void DragRows(TForm1& form, int from, int to) {
    QWidget* viewport = form.StringGrid1->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, RowCentre(form, from));
    QTest::mouseMove(viewport, RowCentre(form, to));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, RowCentre(form, to));
}

void SelectRows(TForm1& form, int top, int bottom) {
    ClickRow(form, top);
    if (bottom != top) ClickRow(form, bottom, Qt::ShiftModifier);
}
