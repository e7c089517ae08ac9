#include "app/shape.h"

#include <QPainter>

namespace {

QString colourDescription(const QColor& colour) {
    if (colour == QColor(0xFF, 0x00, 0x00)) return QStringLiteral("red");
    if (colour == QColor(0xFF, 0xFF, 0x00)) return QStringLiteral("yellow");
    if (colour == QColor(0xFF, 0xFF, 0xFF)) return QStringLiteral("white");
    if (colour == QColor(0x00, 0x00, 0x00)) return QStringLiteral("black");
    return colour.name();
}

} // namespace

TShape::TShape(QWidget* parent) : QWidget(parent) {
    setAccessibleDescription(colourDescription(brush_));
}

void TShape::setBrushColor(const QColor& colour) {
    if (colour == brush_) return;
    brush_ = colour;
    setAccessibleDescription(colourDescription(brush_));
    update();
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(brush_);
    // The circle fills the smaller side of the rectangle, centred in it,
    // with the 1-pixel pen kept inside.
    const int side = qMin(width(), height()) - 1;
    const QRectF circle((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    painter.drawEllipse(circle.adjusted(0.5, 0.5, -0.5, -0.5));
}
