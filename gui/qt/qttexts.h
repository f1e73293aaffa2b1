// Qt's own texts (the file dialogs' labels and buttons, their questions) in
// Japanese, like the rest of the window.
#pragma once

// Installs Qt's Japanese translation into the application; without it the
// dialogs stay in English.
void UseJapaneseQtTexts();
