#include "gui/qt/qttexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

void UseJapaneseQtTexts(QTranslator& translator) {
    if (translator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);
}
