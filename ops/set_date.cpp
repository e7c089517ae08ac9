// Set Date Time: the controller's clock from the PC's local time.
#include <QLabel>
#include <ctime>

#include "app/frm_module.h"
#include "app/globals.h"
#include "i18n/catalogue.h"
#include "link/commands.h"
#include "link/exchange.h"
#include "link/link_clock.h"
#include "ops/operation.h"

namespace {

std::tm localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

}  // namespace

void TfrmModule::btnSetDateClick() {
    runSingleShotOperation(*this, {Msg(23), 24, 25}, [] {
        if (!controllerAnswers(100)) return false;
        Sleep(100);
        // Read at sending time, so that a retry carries the time of the retry.
        return SendCommand(cmd::setClock(ControllerID, localNow()));
    });
}
