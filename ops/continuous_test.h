#pragma once
// The frame around a continuous test (DI/DO or auto test): the test's button
// becomes its stop button, every other operation is locked out while the test
// holds the port, and everything comes back on every path out.
#include <QString>

class QPushButton;
class QWidget;
class TfrmModule;

class ContinuousTestSession {
public:
    // Sets TestRunning, saves the button's caption and shows stopCaption,
    // then disables otherTestButton followed by the other operations.
    ContinuousTestSession(TfrmModule& form, QPushButton* testButton, const QString& stopCaption,
                          QPushButton* otherTestButton, bool& handlerActive);
    // Busy mode off if still on, TestRunning cleared, the controls enabled
    // again (the other test's button last), the caption restored.
    ~ContinuousTestSession();
    ContinuousTestSession(const ContinuousTestSession&) = delete;
    ContinuousTestSession& operator=(const ContinuousTestSession&) = delete;

private:
    TfrmModule& form_;
    QPushButton* testButton_;
    QPushButton* otherTestButton_;
    QString savedCaption_;
    bool& handlerActive_;
};

// What a click on a test's button means before any run starts: false when it
// was refused (no controller found yet) or was a stop request for the run
// whose handler is still on the stack; true when a new run may start.
bool startsNewTestRun(TfrmModule& form, bool handlerActive);

// Opens the port for the whole run, or shows "Open COM : n Error" with the
// red lamp and the low tone. On success the window is in busy mode but
// enabled, so that the stop button and the output boxes stay usable.
bool openPortForTestRun(TfrmModule& form, class CommPortGuard& port);
