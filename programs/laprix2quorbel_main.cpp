// The window program: version 1.1.0 (Laprix2Quorbel) or 2.0.0
// (Laprix2QuorbelII), as L2Q_PROGRAM_VERSION names it.
#include <QApplication>

#include "gui/qt/mainwindow.h"
#include "gui/qt/qttexts.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QTranslator japanese;
    UseJapaneseQtTexts(japanese);
    MainWindow window(L2Q_PROGRAM_VERSION);
    window.show();
    return application.exec();
}
