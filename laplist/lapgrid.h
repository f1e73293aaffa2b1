// The lap list as the walk and the overlay export see it: a grid of text
// cells whose row 0 holds the headings. The window's grid and the in-memory
// table of the tests and of lapcsv both implement it.
#pragma once

#include <array>
#include <string>
#include <vector>

constexpr int kLapColumns = 6;

// The headings of row 0.
inline const std::array<std::string, kLapColumns> kLapHeadings = {
    "データ番号", "日付", "時刻", "タイム", "最高速 km/h", "キョリ km"};

class LapGrid {
  public:
    virtual ~LapGrid() = default;
    // Rows including the heading row.
    virtual int RowCount() const = 0;
    virtual void SetRowCount(int rows) = 0;
    virtual std::string Cell(int col, int row) const = 0;
    virtual void SetCell(int col, int row, const std::string& text) = 0;
    // First and last row of the selected block (lap rows count from 1).
    virtual int SelectionTop() const = 0;
    virtual int SelectionBottom() const = 0;
};

// Writes the headings into row 0.
inline void WriteLapHeadings(LapGrid& grid) {
    for (int col = 0; col < kLapColumns; ++col)
        grid.SetCell(col, 0, kLapHeadings[static_cast<std::size_t>(col)]);
}

// A grid held in memory: starts as the window's does, with the heading row
// and one empty row, row 1 selected.
class MemoryLapGrid : public LapGrid {
  public:
    MemoryLapGrid() : rows_(2) {}

    int RowCount() const override { return static_cast<int>(rows_.size()); }
    void SetRowCount(int rows) override { rows_.resize(static_cast<std::size_t>(rows)); }
    std::string Cell(int col, int row) const override {
        return rows_.at(Index(row)).at(Index(col));
    }
    void SetCell(int col, int row, const std::string& text) override {
        rows_.at(Index(row)).at(Index(col)) = text;
    }
    int SelectionTop() const override { return top_; }
    int SelectionBottom() const override { return bottom_; }
    void Select(int top, int bottom) {
        top_ = top;
        bottom_ = bottom;
    }

  private:
    static std::size_t Index(int i) { return static_cast<std::size_t>(i); }

    std::vector<std::array<std::string, kLapColumns>> rows_;
    int top_ = 1;
    int bottom_ = 1;
};
