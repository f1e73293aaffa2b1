// The box that shows an error escaping a command: the stop icon, captioned
// with the program's name, the message and, on a second line, the path it
// concerns.
#pragma once

#include <QString>
#include <QWidget>

#include "text/error.h"

// The program file's name without its extension.
QString ErrorBoxCaption();
// The message with a full stop added when its last character sorts after
// '.', then the path on a line of its own when there is one.
QString ErrorBoxText(const ShownError& error);

// Shows the modal box over `parent`.
void ShowErrorBox(QWidget* parent, const QString& caption, const QString& text);
