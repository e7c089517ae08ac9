#pragma once
// The application object: an exception that leaves an event handler is shown
// in a message box and the window is given back in working order, so the
// program goes on.
#include <QApplication>

class QxApplication : public QApplication {
    Q_OBJECT
public:
    QxApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows the text in the standard exception message box.
void showException(const QString& text);

// After an aborted handler: window enabled, busy mode off, every override
// cursor removed.
void restoreAfterException();
