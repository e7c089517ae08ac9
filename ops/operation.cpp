#include "ops/operation.h"

#include <QLabel>

#include "app/frm_module.h"
#include "app/globals.h"
#include "app/guards.h"
#include "i18n/catalogue.h"
#include "link/commands.h"
#include "link/exchange.h"
#include "link/link_clock.h"
#include "link/serial_port.h"

bool runSingleShotOperation(TfrmModule& form, const OperationTexts& texts,
                            const std::function<bool()>& attempt) {
    HourglassCursor hourglass;
    WindowDisabled disabled(&form);
    TfrmModule::processMessages();

    if (!ControllerFound) {
        form.reportRefusal();
        return false;
    }
    if (texts.startText) form.pnMsg->setText(*texts.startText);

    const bool success = attemptTwiceOnPort(attempt);
    form.reportOutcome(success, Msg(success ? texts.okMessage : texts.errorMessage));
    return success;
}

bool attemptTwiceOnPort(const std::function<bool()>& attempt) {
    CommPortGuard port;
    if (!port.open(ScanCommNo, ScanBaudRate.c_str())) return false;
    for (int attemptNo = 0; attemptNo < 2; ++attemptNo)
        if (attempt()) return true;
    return false;
}

bool controllerAnswers(int pauseMs) {
    Sleep(pauseMs);
    return SendCommand(cmd::readClock(ControllerID)) && RxPos == reply::AbFrameLength;
}

QString fromWire(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string toWire(const QString& text) { return text.toUtf8().toStdString(); }

QString visibleFrame(const std::string& frame) {
    QString shown;
    shown.reserve(static_cast<qsizetype>(frame.size()));
    for (unsigned char byte : frame) {
        if (byte < 0x20) shown.append(QChar(0x2400 + byte));   // control pictures: ␃ ␄ ␍
        else if (byte == 0x7F) shown.append(QChar(0x2421));
        else shown.append(QChar(byte));
    }
    return shown;
}

BusyMode::BusyMode(TfrmModule& form) : form_(form) { form_.SetBusy(true); }

void BusyMode::leave() {
    if (on_) {
        on_ = false;
        form_.SetBusy(false);
    }
}
