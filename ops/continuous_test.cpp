#include "ops/continuous_test.h"

#include <QLabel>
#include <vector>

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>

#include "app/frm_module.h"
#include "app/globals.h"
#include "i18n/catalogue.h"

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

QString openPortErrorText(int portNumber) {
    return Msg(14) + " : " + QString::number(portNumber) + " " + Msg(15);
}
