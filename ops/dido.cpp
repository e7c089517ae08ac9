// DI/DO test: the controller's inputs and clock watched live, its outputs
// driven from the four boxes, until stopped or the controller stops answering.
// The poll loop is shared with the auto test.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "app/beep.h"
#include "app/colours.h"
#include "app/frm_module.h"
#include "app/globals.h"
#include "app/shape.h"
#include "i18n/catalogue.h"
#include "link/commands.h"
#include "link/exchange.h"
#include "link/link_clock.h"
#include "link/serial_port.h"
#include "ops/continuous_test.h"
#include "ops/operation.h"

void TfrmModule::PumpWait(int count, int sleepMs) {
    for (int i = 0; i < count; ++i) {
        processMessages();
        Sleep(sleepMs);
    }
}

void TfrmModule::RunDIDOLoop() {
    while (TestRunning) {
        PumpWait(20, 2);
        for (int output = 1; output <= 4; ++output) {
            if (!chkDO[output - 1]->isChecked()) continue;   // no explicit "off" is ever sent
            SendCommand(cmd::pollOutput(ControllerID, output));
            PumpWait(20, 2);
        }
        if (!SendCommand(cmd::poll(ControllerID))) break;   // TestRunning still set: a failure
        if (RxPos == reply::PjShortFrameLength || RxPos == reply::PjLongFrameLength) {
            pnDate->setText(fromWire(reply::clockText(RxText)));
            const std::string states = reply::inputStates(RxText);
            for (int input = 1; input <= 4; ++input)
                shDI[input - 1]->setBrushColor(reply::inputActive(states, input) ? clYellow : clWhite);
        }
        if (RxPos == reply::PjLongFrameLength) {
            pnMsg->setText(fromWire(reply::recordText(RxText)));
            PumpWait(20, 2);
            SendCommand(cmd::recordAck(ControllerID));
        }
    }

    // The ending looks only at TestRunning: a stop click that came during a
    // failing poll still ends the test as a stop.
    SetBusy(false);
    if (TestRunning) {
        setLamp(clRed);
        Beep(LowBeepHz, BeepMs);
    } else {
        setLamp(clYellow);
        Beep(HighBeepHz, BeepMs);
    }
    Sleep(30);
    for (TShape* lamp : shDI) lamp->setBrushColor(clWhite);
    for (QCheckBox* box : chkDO) box->setChecked(false);
    SendCommand(cmd::endTest(ControllerID));
    CloseComm();
}

void TfrmModule::btnDIDOClick() {
    if (!startsNewTestRun(*this, didoHandlerActive_)) return;
    ContinuousTestSession session(*this, btnDIDO, Msg(4), btnProcess, didoHandlerActive_);
    CommPortGuard port;
    if (!openPortForTestRun(*this, port)) return;
    RunDIDOLoop();
}
