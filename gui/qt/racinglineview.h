// The racing line picture in a window of its own: drawn from the same SVG
// that is saved, kept in proportion as the window is resized, closed with
// Escape.
#pragma once

#include <QSvgRenderer>
#include <QWidget>
#include <string>

class RacingLineView : public QWidget {
  public:
    explicit RacingLineView(const std::string& svg, QWidget* parent = nullptr);

    // Where the picture is drawn: the largest rectangle of its proportions
    // that the window holds, centred.
    QRectF PictureRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QSvgRenderer renderer_;
};

// The picture as PNG bytes at its own size.
std::string RenderPng(const std::string& svg);
