// The one place that shows an error escaping a handler: the box with the
// stop icon, captioned with the program's name. Every click and message
// handler of the window runs inside RunHandler, so an error ends only the
// command it happened in and the window stays open.
#pragma once

#include <QString>
#include <exception>
#include <functional>

// The program file's name without its extension.
QString ErrorBoxCaption();
// The message with a full stop added when its last character sorts after '.'.
QString ErrorBoxText(const QString& message);

// How the box is shown: by default modal, with the stop icon and "OK".
using ErrorBoxDisplay = std::function<void(const QString& caption, const QString& text)>;
// Replaces the display; an empty function restores the modal box.
void SetErrorBoxDisplay(ErrorBoxDisplay display);

// Shows the error's message in the box.
void ShowException(const std::exception& e);

// Runs one handler to its end; an error that leaves it is shown and goes no
// further.
template <typename Handler>
void RunHandler(Handler&& handler) noexcept {
    try {
        handler();
    } catch (const std::exception& e) {
        ShowException(e);
    }
}
