// Set Baud Rate: the controller's line setting from the list; the program
// talks at the new setting from the next operation on. It is kept in memory
// only: the next successful scan stores where the controller was found.
#include <QLabel>
#include <QComboBox>

#include "app/frm_module.h"
#include "app/globals.h"
#include "i18n/catalogue.h"
#include "link/commands.h"
#include "link/exchange.h"
#include "link/line_settings.h"
#include "link/link_clock.h"
#include "ops/operation.h"

void TfrmModule::btnBaudRateClick() {
    const int selected = cmbBaudRate->currentIndex();
    // The list always holds a selection (an out-of-range stored index is
    // replaced at load); guard anyway rather than index past the table.
    if (selected < 0 || selected >= LineSettingsCount) return;

    const QString startText = Msg(36) + " = " + QString::fromLatin1(LineSettings[selected]);
    runSingleShotOperation(*this, {startText, 37, 38}, [selected] {
        if (!controllerAnswers(200)) return false;
        Sleep(100);
        if (!SendCommand(cmd::setLineSetting(ControllerID, selected))) return false;
        ScanBaudRateNo = selected;
        ScanBaudRate = LineSettings[selected];
        return true;
    });
}
