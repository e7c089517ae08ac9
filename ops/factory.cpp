// Factory default: the clock from the PC, the fixed reset series, and the
// line setting back to "19200,e,8,1".
#include <QLabel>
#include <QComboBox>

#include "app/frm_module.h"
#include "app/globals.h"
#include "app/guards.h"
#include "i18n/catalogue.h"
#include "link/commands.h"
#include "link/exchange.h"
#include "link/line_settings.h"
#include "link/link_clock.h"
#include "ops/operation.h"

namespace {

// One pass of the series; only the clock read and the final AE5 decide.
bool factoryAttempt() {
    if (!controllerAnswers(100)) return false;
    for (const std::string& payload : {cmd::addReader(ControllerID), cmd::factoryIH(ControllerID),
                                       cmd::endTest(ControllerID), cmd::factoryHK(ControllerID)}) {
        Sleep(100);
        SendCommand(payload);
    }
    Sleep(100);
    return SendCommand(cmd::setLineSetting(ControllerID, DefaultLineSettingIndex));
}

}  // namespace

void TfrmModule::btnFactoryClick() {
    HourglassCursor hourglass;
    WindowDisabled disabled(this);
    cmbBaudRate->setCurrentIndex(DefaultLineSettingIndex);
    processMessages();

    if (!ControllerFound) {
        reportRefusal();
        return;
    }

    // The date step ends by enabling the window; take it back at once so that
    // nothing can start while the series below holds the port. The hourglass
    // stays, as this scope's cursor is still set.
    btnSetDateClick();
    setEnabled(false);

    Sleep(100);
    pnMsg->setText(Msg(33));

    const bool success = attemptTwiceOnPort(factoryAttempt);
    if (success) {
        // The controller now talks at "19200,e,8,1": use it from the next
        // operation on, as Set Baud Rate does (in memory; a scan stores it).
        ScanBaudRateNo = DefaultLineSettingIndex;
        ScanBaudRate = LineSettings[DefaultLineSettingIndex];
    }
    reportOutcome(success, Msg(success ? 34 : 35));
}
