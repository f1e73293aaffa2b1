#include "gui/qt/errorbox.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

QString ErrorBoxCaption() {
    // The application name is argv[0] without its folder.
    return QFileInfo(QCoreApplication::applicationName()).completeBaseName();
}

QString ErrorBoxText(const ShownError& error) {
    QString text = QString::fromStdString(error.message);
    // Any character outside ASCII, a surrogate half included, sorts after '.',
    // so comparing the last UTF-16 unit decides as the code point would.
    if (!text.isEmpty() && text.back().unicode() > u'.') text += u'.';
    if (!error.path.empty()) text += u'\n' + QString::fromStdString(error.path);
    return text;
}

void ShowErrorBox(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
    box.exec();
}
