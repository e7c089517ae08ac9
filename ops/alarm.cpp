// Alarm test: one of the seven alarm kinds of the list, or the alarm off.
#include <QLabel>
#include <QComboBox>

#include "app/frm_module.h"
#include "app/globals.h"
#include "i18n/catalogue.h"
#include "link/commands.h"
#include "link/exchange.h"
#include "link/link_clock.h"
#include "ops/operation.h"

void TfrmModule::btnAlarmClick() {
    runSingleShotOperation(*this, {Msg(27), 28, 29}, [this] {
        if (!controllerAnswers(100)) return false;
        Sleep(100);
        return SendCommand(cmd::alarm(ControllerID, cmbAlarm->currentIndex()));
    });
}
