#include "gui/qt/racinglineview.h"

#include <QBuffer>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>

#include "text/error.h"

RacingLineView::RacingLineView(const std::string& svg, QWidget* parent)
    : QWidget(parent, Qt::Window), renderer_(QByteArray::fromStdString(svg)) {
    setWindowTitle(QStringLiteral("走行ライン"));
    setAttribute(Qt::WA_DeleteOnClose);
    const QSize size = renderer_.defaultSize();
    resize(size.isValid() ? size * 0.75 : QSize(900, 675));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
}

QRectF RacingLineView::PictureRect() const {
    const QSizeF picture = renderer_.viewBoxF().size();
    if (picture.isEmpty()) return rect();
    const QSizeF fitted = picture.scaled(size(), Qt::KeepAspectRatio);
    return QRectF(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                  fitted);
}

void RacingLineView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer_.render(&painter, PictureRect());
}

void RacingLineView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

std::string RenderPng(const std::string& svg) {
    QSvgRenderer renderer(QByteArray::fromStdString(svg));
    QImage image(renderer.defaultSize(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG")) throw Error("PNG 画像を作れませんでした");
    return bytes.toStdString();
}
