#pragma once
// Scope guards for what an operation takes from the window: the hourglass, the
// disabled window and busy mode are given back on every path out, exceptions
// included.
#include <QApplication>
#include <QCursor>
#include <QWidget>

class HourglassCursor {
public:
    HourglassCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~HourglassCursor() { restore(); }
    HourglassCursor(const HourglassCursor&) = delete;
    HourglassCursor& operator=(const HourglassCursor&) = delete;
    void restore() {
        if (active_) { active_ = false; QApplication::restoreOverrideCursor(); }
    }
private:
    bool active_ = true;
};

class WindowDisabled {
public:
    explicit WindowDisabled(QWidget* window) : window_(window) { window_->setEnabled(false); }
    ~WindowDisabled() { window_->setEnabled(true); }
    WindowDisabled(const WindowDisabled&) = delete;
    WindowDisabled& operator=(const WindowDisabled&) = delete;
private:
    QWidget* window_;
};
