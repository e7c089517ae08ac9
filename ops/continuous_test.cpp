#include "ops/continuous_test.h"

#include <vector>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "app/beep.h"
#include "app/colours.h"
#include "app/frm_module.h"
#include "app/globals.h"
#include "i18n/catalogue.h"
#include "link/serial_port.h"

namespace {

// Everything that could start another operation, in the order it is locked.
// Set Baud Rate and its list are included: the running test holds the port.
std::vector<QWidget*> lockedControls(TfrmModule& form) {
    return {form.btnExit, form.btnScan, form.btnFactory, form.btnSetDate, form.btnAlarm,
            form.btnSetCard, form.gbDefault, form.btnEng, form.btnGB, form.btnBIG5,
            form.btnBaudRate, form.cmbBaudRate};
}

}  // namespace

ContinuousTestSession::ContinuousTestSession(TfrmModule& form, QPushButton* testButton,
                                             const QString& stopCaption, QPushButton* otherTestButton,
                                             bool& handlerActive)
    : form_(form), testButton_(testButton), otherTestButton_(otherTestButton), handlerActive_(handlerActive) {
    handlerActive_ = true;
    TestRunning = true;
    savedCaption_ = testButton_->text();
    testButton_->setText(stopCaption);
    otherTestButton_->setEnabled(false);
    for (QWidget* control : lockedControls(form_)) control->setEnabled(false);
}

ContinuousTestSession::~ContinuousTestSession() {
    if (form_.isBusy()) form_.SetBusy(false);   // only after an exception inside the loop
    TestRunning = false;
    for (QWidget* control : lockedControls(form_)) control->setEnabled(true);
    otherTestButton_->setEnabled(true);
    testButton_->setText(savedCaption_);
    handlerActive_ = false;
}

bool startsNewTestRun(TfrmModule& form, bool handlerActive) {
    if (!ControllerFound) {
        form.pnMsg->setText(Msg(2));
        Beep(LowBeepHz, BeepMs);
        return false;
    }
    // A click while the test's handler is still on the stack (running, or
    // finishing after an earlier stop) is a stop request, never a second run.
    if (TestRunning || handlerActive) {
        TestRunning = false;
        return false;
    }
    return true;
}

bool openPortForTestRun(TfrmModule& form, CommPortGuard& port) {
    if (!port.open(ScanCommNo, ScanBaudRate.c_str())) {
        form.setLamp(clRed);
        form.pnMsg->setText(Msg(14) + " : " + QString::number(ScanCommNo) + " " + Msg(15));
        Beep(LowBeepHz, BeepMs);
        return false;
    }
    form.SetBusy(true);
    form.setEnabled(true);
    return true;
}
