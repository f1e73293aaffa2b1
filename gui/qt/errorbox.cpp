#include "gui/qt/errorbox.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

#include "gui/errortext.h"

QString ErrorBoxCaption() {
    // The application name is argv[0] without its folder.
    return QFileInfo(QCoreApplication::applicationName()).completeBaseName();
}

QString ErrorBoxText(const ShownError& error) {
    return QString::fromStdString(ErrorBoxMessage(error));
}

void ShowErrorBox(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
    box.exec();
}
