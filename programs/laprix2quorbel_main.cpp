// The window program: version 1.1.0 (Laprix2Quorbel) or 2.0.0
// (Laprix2QuorbelII), as L2Q_DELIVERABLE names it.
#include <QApplication>

#include "window/form1.h"
#include "window/qttexts.h"
#include "window/unit1.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    UseJapaneseQtTexts();
    TForm1 form(L2Q_DELIVERABLE);
    Form1 = &form;
    form.show();
    const int code = application.exec();
    Form1 = nullptr;
    return code;
}
