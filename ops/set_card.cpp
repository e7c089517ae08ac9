// Add Reader and Card: the reader, then the test card typed in edCardID.
#include <QLabel>
#include <QLineEdit>

#include "app/frm_module.h"
#include "app/globals.h"
#include "i18n/catalogue.h"
#include "link/commands.h"
#include "link/exchange.h"
#include "link/link_clock.h"
#include "ops/operation.h"

void TfrmModule::btnSetCardClick() {
    runSingleShotOperation(*this, {std::nullopt, 31, 32}, [this] {
        if (!controllerAnswers(100)) return false;
        Sleep(100);
        if (!SendCommand(cmd::addReader(ControllerID))) return false;
        Sleep(100);
        // The card ID is sent exactly as typed: not filled up, trimmed or checked.
        return SendCommand(cmd::cardRecord(ControllerID, toWire(edCardID->text())));
    });
}
