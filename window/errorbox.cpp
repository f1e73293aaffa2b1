#include "window/errorbox.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <utility>

namespace {

ErrorBoxDisplay& ReplacedDisplay() {
    static ErrorBoxDisplay display;
    return display;
}

void ShowStopBox(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
    box.exec();
}

}  // namespace

QString ErrorBoxCaption() {
    // The application name is argv[0] without its folder.
    return QFileInfo(QCoreApplication::applicationName()).completeBaseName();
}

QString ErrorBoxText(const QString& message) {
    // Any character outside ASCII, a surrogate half included, sorts after '.',
    // so comparing the last UTF-16 unit decides as the code point would.
    if (!message.isEmpty() && message.back().unicode() > u'.') return message + u'.';
    return message;
}

void SetErrorBoxDisplay(ErrorBoxDisplay display) {
    ReplacedDisplay() = std::move(display);
}

void ShowException(const std::exception& e) {
    const QString caption = ErrorBoxCaption();
    const QString text = ErrorBoxText(QString::fromUtf8(e.what()));
    if (ReplacedDisplay())
        ReplacedDisplay()(caption, text);
    else
        ShowStopBox(caption, text);
}
