// The lap list grid in the terms of the walk and the exports: grid row 0 is
// the heading row, shown as the table's horizontal header, and grid row r
// (r >= 1) is row r - 1 of the table.
#pragma once

#include <QTableWidget>
#include <utility>

#include "laplist/lapgrid.h"

class TableLapGrid : public LapGrid {
  public:
    explicit TableLapGrid(QTableWidget& table) : table_(table) {}

    int RowCount() const override;
    void SetRowCount(int rows) override;
    std::string Cell(int col, int row) const override;
    void SetCell(int col, int row, const std::string& text) override;
    int SelectionTop() const override;
    int SelectionBottom() const override;

  private:
    // The selected block as table rows: the current row when nothing is
    // selected, row 0 when there is no current row either.
    std::pair<int, int> SelectedTableRows() const;

    QTableWidget& table_;
};
