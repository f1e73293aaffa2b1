#include "gui/qt/qtprompts.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

// The filters match in either letter case, as lap and CSV names do; the
// dialog shows only their descriptions.
const QString kLapFileFilter = QStringLiteral("dtbファイル (*.[dD][tT][bB])");
const QString kCsvFileFilter = QStringLiteral("CSVファイル (*.[cC][sS][vV])");
const QString kSvgFileFilter = QStringLiteral("SVG画像 (*.[sS][vV][gG])");
const QString kPngFileFilter = QStringLiteral("PNG画像 (*.[pP][nN][gG])");
const QString kGpxFileFilter = QStringLiteral("GPXファイル (*.[gG][pP][xX])");

QStringList FiltersOf(SaveType type) {
    switch (type) {
        case SaveType::Picture:
            return {kSvgFileFilter, kPngFileFilter};
        case SaveType::Gpx:
            return {kGpxFileFilter};
        case SaveType::Csv:
            break;
    }
    return {kCsvFileFilter};
}

// Qt's own dialog behaves the same on every desktop and headless.
void SetUpFileDialog(QFileDialog& dialog, const QString& filter) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(filter);
    dialog.setSizeGripEnabled(true);
    // Wide enough for names, sizes and dates without cutting them.
    dialog.resize(820, 520);
}

std::optional<std::string> Run(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.front().toStdString();
}

}  // namespace

void SetUpOpenDialog(QFileDialog& dialog, const QString& initialFolder) {
    SetUpFileDialog(dialog, kLapFileFilter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDirectory(initialFolder);
}

void SetUpSaveDialog(QFileDialog& dialog) {
    SetUpFileDialog(dialog, kCsvFileFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
}

QString BoxLines(const std::string& text) {
    QString lines = QString::fromStdString(text);
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(u'\r', u'\n');
    return lines;
}

void QtPrompts::SetOpenFolder(const std::string& folder) {
    // An empty folder is the current one, as for the lap files themselves.
    open_.setDirectory(folder.empty() ? QDir::currentPath() : QString::fromStdString(folder));
}

std::optional<std::string> QtPrompts::AskOpenPath() {
    return Run(open_);
}

std::optional<std::string> QtPrompts::AskSavePath(const std::string& fileName, SaveType type) {
    save_.setNameFilters(FiltersOf(type));
    if (fileName.empty()) {
        // selectFile ignores an empty name, and the name of the last save
        // must not be offered again.
        if (auto* edit = save_.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) edit->clear();
    } else {
        save_.selectFile(QString::fromStdString(fileName));
    }
    auto path = Run(save_);
    // A picture saved with the PNG filter and no extension of its own is a PNG.
    if (path && type == SaveType::Picture && save_.selectedNameFilter() == kPngFileFilter &&
        QFileInfo(QString::fromStdString(*path)).suffix().isEmpty())
        *path += ".png";
    return path;
}

bool QtPrompts::AskYesNoWarning(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("警告"), BoxLines(text),
                    QMessageBox::NoButton, boxParent_);
    box.setTextFormat(Qt::PlainText);
    QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);  // closing the box answers No
    box.exec();
    return box.clickedButton() == yes;
}

void QtPrompts::ShowInformation(const std::string& text) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("情報"), BoxLines(text),
                    QMessageBox::NoButton, boxParent_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
    box.exec();
}
