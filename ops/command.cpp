// Test command console: any text behind the controller's ID, the raw reply
// frame shown as received.
#include <QLabel>
#include <QLineEdit>

#include "app/frm_module.h"
#include "app/globals.h"
#include "app/guards.h"
#include "i18n/catalogue.h"
#include "link/commands.h"
#include "link/exchange.h"
#include "link/link_clock.h"
#include "ops/operation.h"

void TfrmModule::btnCommandClick() {
    HourglassCursor hourglass;
    WindowDisabled disabled(this);
    edRecCommand->clear();

    if (!ControllerFound) {
        reportRefusal();
        return;
    }
    pnMsg->setText(Msg(40));

    const bool success = attemptTwiceOnPort([this] {
        Sleep(100);
        if (!SendCommand(cmd::answerCheck(ControllerID)) || RxPos != reply::AcFrameLength) return false;
        Sleep(100);
        if (!SendCommand(cmd::console(ControllerID, toWire(edCommand->text())))) return false;
        edRecCommand->setText(visibleFrame(RxText));
        return true;
    });
    reportOutcome(success, Msg(success ? 41 : 42));
}
