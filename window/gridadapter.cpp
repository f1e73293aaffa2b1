#include "window/gridadapter.h"

#include <algorithm>
#include <climits>

int TableLapGrid::RowCount() const {
    return table_.rowCount() + 1;
}

void TableLapGrid::SetRowCount(int rows) {
    table_.setRowCount(std::max(rows - 1, 0));
}

std::string TableLapGrid::Cell(int col, int row) const {
    const QTableWidgetItem* item =
        row == 0 ? table_.horizontalHeaderItem(col) : table_.item(row - 1, col);
    return item != nullptr ? item->text().toStdString() : std::string();
}

void TableLapGrid::SetCell(int col, int row, const std::string& text) {
    const QString qtext = QString::fromStdString(text);
    if (row == 0) {
        table_.setHorizontalHeaderItem(col, new QTableWidgetItem(qtext));
        return;
    }
    if (QTableWidgetItem* item = table_.item(row - 1, col)) {
        item->setText(qtext);
        return;
    }
    auto* item = new QTableWidgetItem(qtext);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);  // never edited
    table_.setItem(row - 1, col, item);
}

std::pair<int, int> TableLapGrid::SelectedTableRows() const {
    // The grid allows one block only; should the model ever hold more, the
    // rows from the first to the last are meant.
    int top = INT_MAX, bottom = -1;
    for (const QTableWidgetSelectionRange& range : table_.selectedRanges()) {
        top = std::min(top, range.topRow());
        bottom = std::max(bottom, range.bottomRow());
    }
    if (bottom >= 0) return {top, bottom};
    const int current = std::max(table_.currentRow(), 0);
    return {current, current};
}

int TableLapGrid::SelectionTop() const {
    return SelectedTableRows().first + 1;
}

int TableLapGrid::SelectionBottom() const {
    return SelectedTableRows().second + 1;
}
