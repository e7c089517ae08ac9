#include "res/pictures.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {

// Paints on a transparent canvas of the given size and returns the picture.
template <typename Draw>
QPixmap draw(int width, int height, Draw paint) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        paint(p);
    }
    return QPixmap::fromImage(image);
}

const QColor Outline(0x20, 0x20, 0x20);
const QColor Blue(0x00, 0x00, 0xFF);
const QColor Red(0xFF, 0x00, 0x00);

QPixmap redCharacters(const QString& text) {
    return draw(34, 16, [&](QPainter& p) {
        QFont font(cjkPictureFamily());
        font.setPixelSize(15);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Red);
        p.drawText(QRect(0, 0, 34, 16), Qt::AlignCenter, text);
    });
}

void drawKeypad(QPainter& p, const QRectF& r) {
    p.setPen(QPen(Outline, 1));
    p.setBrush(QColor(0xC0, 0xC0, 0xC0));
    p.drawRoundedRect(r, 2, 2);
    p.setBrush(QColor(0x00, 0x80, 0x80));
    p.drawRect(QRectF(r.left() + 3, r.top() + 2.5, r.width() - 6, 5));
    p.setBrush(Qt::white);
    const double keyW = (r.width() - 8) / 3.0, keyH = (r.height() - 12) / 4.0;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawRect(QRectF(r.left() + 3 + col * (keyW + 1), r.top() + 9.5 + row * keyH,
                              keyW - 1, keyH - 1));
}

} // namespace

QString cjkPictureFamily() { return QStringLiteral("WenQuanYi Micro Hei"); }

QPixmap magnifierPicture() {
    return draw(16, 16, [](QPainter& p) {
        p.setPen(QPen(QColor(0x60, 0x40, 0x20), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
        p.setPen(QPen(Outline, 1.5));
        p.setBrush(QColor(0xA0, 0xD8, 0xFF));
        p.drawEllipse(QPointF(6.5, 6.5), 5, 5);
        p.setPen(QPen(Qt::white, 1.2));
        p.drawArc(QRectF(3.5, 3.5, 6, 6), 100 * 16, 70 * 16);
    });
}

QPixmap telephonePicture() {
    return draw(16, 16, [](QPainter& p) {
        p.setPen(QPen(Outline, 1));
        p.setBrush(QColor(0xD0, 0x20, 0x20));
        // Handset on top, body below with its dial.
        QPainterPath handset;
        handset.moveTo(1, 6);
        handset.cubicTo(1, 1, 15, 1, 15, 6);
        handset.lineTo(12, 7);
        handset.lineTo(11, 5);
        handset.cubicTo(9, 4, 7, 4, 5, 5);
        handset.lineTo(4, 7);
        handset.closeSubpath();
        p.drawPath(handset);
        p.drawRoundedRect(QRectF(3, 8, 10, 7), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 11.5), 2.2, 2.2);
    });
}

QPixmap stopwatchPicture() {
    return draw(16, 16, [](QPainter& p) {
        p.setPen(QPen(Outline, 1));
        p.setBrush(QColor(0xC0, 0xC0, 0xC0));
        p.drawRect(QRectF(6.5, 0.5, 3, 2));
        p.drawLine(QPointF(12.5, 3), QPointF(14, 1.5));
        p.setBrush(Qt::white);
        p.setPen(QPen(Outline, 1.5));
        p.drawEllipse(QPointF(8, 9.5), 5.7, 5.7);
        p.setPen(QPen(Red, 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 9.5), QPointF(8, 5.5));
        p.setPen(QPen(Outline, 1.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 9.5), QPointF(10.5, 11));
    });
}

QPixmap cardReaderPicture() {
    return draw(16, 16, [](QPainter& p) {
        // Reader box with a slot, a card half inserted.
        p.setPen(QPen(Outline, 1));
        p.setBrush(QColor(0x50, 0x50, 0x50));
        p.drawRoundedRect(QRectF(1.5, 7.5, 13, 7), 1.5, 1.5);
        p.setBrush(QColor(0x00, 0xC0, 0x00));
        p.drawEllipse(QPointF(12, 11), 1, 1);
        p.setBrush(QColor(0xF0, 0xE0, 0x60));
        p.drawRect(QRectF(3.5, 1.5, 8, 8));
        p.setPen(QPen(QColor(0x80, 0x60, 0x00), 1));
        p.drawLine(QPointF(5, 4), QPointF(10, 4));
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(QPointF(2.5, 8.5), QPointF(13.5, 8.5));
    });
}

QPixmap progressBarPicture() {
    return draw(32, 20, [](QPainter& p) {
        p.setPen(QPen(Outline, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(0.5, 5.5, 31, 9));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x00, 0x00, 0x80));
        for (int i = 0; i < 5; ++i) p.drawRect(QRectF(2 + i * 4, 7, 3, 6));
    });
}

QPixmap barPicture() {
    return draw(16, 16, [](QPainter& p) {
        p.setPen(QPen(Outline, 1));
        const QColor colours[4] = {QColor(0x00, 0x80, 0x00), QColor(0xFF, 0xC0, 0x00),
                                   QColor(0x00, 0x80, 0x00), Red};
        const int heights[4] = {6, 11, 8, 14};
        for (int i = 0; i < 4; ++i) {
            p.setBrush(colours[i]);
            p.drawRect(QRectF(0.5 + i * 4, 15.5 - heights[i], 3, heights[i]));
        }
    });
}

QPixmap keypadPicture() {
    return draw(100, 50, [](QPainter& p) {
        drawKeypad(p, QRectF(3.5, 3.5, 20, 43));
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setBold(true);
        font.setPixelSize(17);
        p.setFont(font);
        p.setPen(Blue);
        p.drawText(QRect(26, 2, 74, 23), Qt::AlignCenter, QStringLiteral("VELDO"));
        font.setPixelSize(13);
        p.setFont(font);
        p.setPen(Red);
        p.drawText(QRect(26, 25, 74, 22), Qt::AlignCenter, QStringLiteral("QX530RM"));
    });
}

QPixmap simplifiedPicture() { return redCharacters(QStringLiteral("簡体")); }

QPixmap traditionalPicture() { return redCharacters(QStringLiteral("繁體")); }

QIcon windowIconPicture() {
    return QIcon(draw(16, 16, [](QPainter& p) {
        // The controller: a purple box with a keypad and a red lamp.
        p.setPen(QPen(Outline, 1));
        p.setBrush(QColor(0x80, 0x00, 0x80));
        p.drawRoundedRect(QRectF(1.5, 0.5, 13, 15), 2, 2);
        p.setBrush(Qt::white);
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col) p.drawRect(QRectF(3.5 + col * 3.5, 5.5 + row * 3.3, 2, 2));
        p.setBrush(Red);
        p.drawEllipse(QPointF(8, 3), 1.3, 1.3);
    }));
}
