// Auto test: clock, reader and card, the output and alarm preamble, then the
// DI/DO watch until stopped or the controller stops answering.
#include <QLabel>
#include <QPushButton>

#include "app/beep.h"
#include "app/colours.h"
#include "app/frm_module.h"
#include "app/globals.h"
#include "i18n/catalogue.h"
#include "link/commands.h"
#include "link/exchange.h"
#include "link/link_clock.h"
#include "link/serial_port.h"
#include "ops/continuous_test.h"

void TfrmModule::btnProcessClick() {
    if (!startsNewTestRun(*this, processHandlerActive_)) return;
    ContinuousTestSession session(*this, btnProcess, Msg(3), btnDIDO, processHandlerActive_);
    // Each step opens and closes the port itself and shows its own outcome.
    btnSetDateClick();
    Sleep(100);
    btnSetCardClick();
    Sleep(100);

    CommPortGuard port;
    if (!openPortForTestRun(*this, port)) return;

    // The preamble runs whole whatever TestRunning says; replies are not looked at.
    SendCommand(cmd::autoTestOutput(ControllerID, 1));
    Sleep(100);
    SendCommand(cmd::autoTestOutput(ControllerID, 2));
    Sleep(100);
    SendCommand(cmd::alarm(ControllerID, 1));
    PumpWait(100, 10);
    SendCommand(cmd::alarm(ControllerID, 0));
    Sleep(100);
    SendCommand(cmd::endTest(ControllerID));
    Sleep(100);

    RunDIDOLoop();
}
