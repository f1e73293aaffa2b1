// Qt's own texts (the file dialogs' labels and buttons, their questions) in
// Japanese, like the rest of the window.
#pragma once

#include <QTranslator>

// Loads Qt's Japanese translation into `translator`, which the caller keeps
// for as long as the application runs, and installs it; without it the
// dialogs stay in English.
void UseJapaneseQtTexts(QTranslator& translator);
