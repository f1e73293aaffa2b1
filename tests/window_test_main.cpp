// The window tests run headless on Qt's offscreen platform unless another is
// asked for.
#include <gtest/gtest.h>

#include <QApplication>

#include "gui/qt/qttexts.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTranslator japanese;
    UseJapaneseQtTexts(japanese);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
