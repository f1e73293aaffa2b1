// Helpers of the window tests: a fresh Wine prefix with generated sessions,
// the error box captured, the lap list as the user sees it, and the user's
// ways of selecting rows in it.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "gui/qt/mainwindow.h"
#include "tests/kit/files.h"
#include "tests/kit/laps.h"

struct RecordedError {
    QString caption;
    QString text;
};

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The prefix without its trailing '/'.
    std::string Prefix() const { return root_.Path() + "prefix"; }
    // Where version 2.0.0 and version 1.1.0 look for lap files.
    std::string AppDataTemp() const { return Prefix() + "/drive_c/ProgramData/Laprix/temp/"; }
    std::string RegistryTemp() const {
        return Prefix() + "/dosdevices/c:/Program Files/Laprix/Temp/";
    }
    // An empty folder that is the current one during the test.
    std::string WorkFolder() const { return root_.Path() + "work/"; }
    std::string Home() const { return root_.Path() + "home"; }
    // A folder for the CSV files the tests write.
    std::string OutFolder() const { return root_.Path() + "out/"; }

    // Everything as SetUp left it, for the next row of a table.
    void StartAfresh();

    // Generated laps of `samples` samples each.
    void WriteAppDataSession(int laps, int samples = 200);
    // The same below C:\Program Files\Laprix\Temp, with the install path in
    // the prefix's user.reg, as the analysis software installs itself.
    void WriteRegistrySession(int laps, int samples = 200);

    // The window as the program creates it, its errors recorded in `errors`;
    // the message it posted is still waiting.
    std::unique_ptr<MainWindow> Create(const ProgramVersion& version);
    // Delivers the posted messages 1025, as the event loop would: how many.
    int DeliverFillLapList(MainWindow& window);
    // Created, shown and with its lap list filled.
    std::unique_ptr<MainWindow> Open(const ProgramVersion& version);

    std::vector<RecordedError> errors;

  private:
    ScratchDir root_;
    std::string oldCwd_;
};

// The text in column `col` of list row `row`: row 0 the headings, lap rows
// from 1.
std::string CellText(const MainWindow& window, int col, int row);
// Rows of the list as the user sees them, the heading row included.
int ShownRows(const MainWindow& window);
// The first and last selected lap row, counted from 1.
std::pair<int, int> SelectedLapRows(const MainWindow& window);

// The centre of grid row `row` (lap rows count from 1) in the grid's viewport.
QPoint RowCentre(MainWindow& form, int row);
// A click on a row, with the given keys held.
void ClickRow(MainWindow& form, int row, Qt::KeyboardModifiers keys = Qt::NoModifier);
// A drag with the left button from one row to another.
void DragRows(MainWindow& form, int from, int to);
// Selects rows top to bottom as a user does: a click, then a shift-click.
void SelectRows(MainWindow& form, int top, int bottom);
