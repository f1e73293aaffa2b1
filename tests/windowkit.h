// Helpers of the window tests: a fresh Wine prefix with generated sessions,
// the window unit's state as at process start, the error box captured, and
// the user's ways of selecting rows in the lap list.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "tests/kit/files.h"
#include "tests/kit/laps.h"
#include "gui/qt/form1.h"

struct ShownError {
    QString Caption;
    QString Text;
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

    // The window as the program creates it; the message it posted is still
    // waiting.
    std::unique_ptr<TForm1> Create(const TDeliverable& deliverable);
    // Delivers the posted messages 1025, as the event loop would: how many.
    int DeliverLoadListMsg(TForm1& form);
    // Created, shown and with its lap list filled.
    std::unique_ptr<TForm1> Open(const TDeliverable& deliverable);

    std::vector<ShownError> errors;

  private:
    ScratchDir root_;
    std::string oldCwd_;
};

// The centre of grid row `row` (lap rows count from 1) in the grid's viewport.
QPoint RowCentre(TForm1& form, int row);
// A click on a row, with the given keys held.
void ClickRow(TForm1& form, int row, Qt::KeyboardModifiers keys = Qt::NoModifier);
// A drag with the left button from one row to another.
void DragRows(TForm1& form, int from, int to);
// Selects rows top to bottom as a user does: a click, then a shift-click.
void SelectRows(TForm1& form, int top, int bottom);
