#include "app/application.h"

#include "app/frm_module.h"

#include <QMessageBox>

#include <exception>

QxApplication::QxApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool QxApplication::notify(QObject* receiver, QEvent* event) {
    QString text;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        text = QString::fromLocal8Bit(e.what());
    } catch (...) {
        text = QStringLiteral("Unknown exception.");
    }
    // Outside the catch block: the box runs an event loop of its own.
    restoreAfterException();
    showException(text);
    return false;
}

void showException(const QString& text) {
    QWidget* parent = frmModule && frmModule->isVisible() ? frmModule : nullptr;
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

void restoreAfterException() {
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    if (frmModule) frmModule->SetBusy(false);
}
