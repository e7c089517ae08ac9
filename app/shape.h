#pragma once
// A round lamp: a circle filled with its brush colour inside its rectangle.
#include <QColor>
#include <QWidget>

class TShape : public QWidget {
    Q_OBJECT
public:
    explicit TShape(QWidget* parent = nullptr);
    QColor brushColor() const { return brush_; }
    void setBrushColor(const QColor& colour);   // also updates the accessible description
protected:
    void paintEvent(QPaintEvent* event) override;
private:
    QColor brush_ = Qt::white;
};
