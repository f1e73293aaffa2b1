// The native window program: version 1.1.0 (Laprix2Quorbel) or 2.0.0
// (Laprix2QuorbelII), as L2Q_PROGRAM_VERSION names it.
#include <windows.h>

#include "gui/win32/mainwindow.h"
#include "platform/system.h"
#include "text/extended.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Every lap value is computed at 64-bit precision, whatever the thread
    // was started with.
    UseExtendedPrecision();
    MainWindow window(instance, L2Q_PROGRAM_VERSION);
    window.Show(showCommand);
    return RunMessageLoop(window);
}
