// Scan: find the controller on COM1..COM16 at one of the twelve line settings
// (the remembered place first), remember where it was, and identify it.
#include <QLabel>
#include <QCheckBox>
#include <QComboBox>

#include "app/beep.h"
#include "app/colours.h"
#include "app/frm_module.h"
#include "app/globals.h"
#include "app/guards.h"
#include "i18n/catalogue.h"
#include "link/commands.h"
#include "link/exchange.h"
#include "link/line_settings.h"
#include "link/link_clock.h"
#include "link/serial_port.h"
#include "ops/operation.h"

namespace {

constexpr int FirstPort = 1, LastPort = 16;
constexpr int QuickTries = 3, TriesPerSetting = 2;

QString portSuffix(int port) { return " : #" + QString::number(port); }

bool findReply() { return SendCommand(cmd::findController()) && RxPos == reply::AcFrameLength; }

}  // namespace

void TfrmModule::btnScanClick() {
    HourglassCursor hourglass;
    processMessages();
    BusyMode busy(*this);

    pnMsg->setText(Msg(16) + " ....");
    pnSerial->setText(Msg(17) + " : __");
    pnVersion->setText(Msg(18) + " : __.__-__");
    processMessages();

    bool found = false;
    ControllerFound = false;

    // Quick try at the place of the last find; a find here changes nothing stored.
    if (ScanCommNo > 0) {
        cmbBaudRate->setCurrentIndex(ScanBaudRateNo);
        CommPortGuard port;
        if (port.open(ScanCommNo, ScanBaudRate.c_str())) {
            pnMsg->setText(Msg(19) + portSuffix(ScanCommNo));
            for (int tryNo = 0; tryNo < QuickTries && !found; ++tryNo) found = findReply();
        }
    }

    // Full scan: every setting of a port before the next port, or only the
    // remembered setting when chkLock is checked.
    for (int portNo = FirstPort; portNo <= LastPort && !found; ++portNo) {
        for (int setting = 0; setting < LineSettingsCount; ++setting) {
            const bool locked = chkLock->isChecked();
            const int index = locked ? ScanBaudRateNo : setting;
            cmbBaudRate->setCurrentIndex(index);
            CommPortGuard port;
            if (!port.open(portNo, LineSettings[index])) break;   // no such port, or held elsewhere
            pnMsg->setText(Msg(19) + portSuffix(portNo));
            for (int tryNo = 0; tryNo < TriesPerSetting && !found; ++tryNo) {
                if (findReply()) {
                    found = true;
                    ScanCommNo = portNo;
                    ScanBaudRate = LineSettings[index];
                    ScanBaudRateNo = index;
                    SaveScanSettings();
                }
            }
            port.release();
            if (found || locked) break;
        }
    }

    if (found && RxPos == reply::AcFrameLength) {
        ControllerID = reply::controllerId(RxText);
        cmbBaudRate->setCurrentIndex(ScanBaudRateNo);
        found = false;   // from here on: the identification succeeded
        {
            CommPortGuard port;
            if (port.open(ScanCommNo, ScanBaudRate.c_str())) {
                for (int attemptNo = 0; attemptNo < 2; ++attemptNo) {
                    Sleep(100);
                    if (!SendCommand(cmd::modelVersion(ControllerID))) continue;
                    Sleep(100);
                    pnVersion->setText(Msg(18) + " : " + fromWire(reply::versionText(RxText)));
                    pnSerial->setText(fromWire(reply::modelText(RxText)) + "  ID : " + fromWire(ControllerID));
                    if (SendCommand(cmd::serialNumber(ControllerID)))
                        pnSN->setText("S / N : " + fromWire(reply::serialText(RxText)));
                    Sleep(100);
                    if (SendCommand(cmd::readClock(ControllerID))) {
                        pnDate->setText(fromWire(reply::clockText(RxText)));
                        found = true;
                        pnMsg->setText(Msg(20) + portSuffix(ScanCommNo) + ")");
                        ControllerFound = true;
                    }
                    break;
                }
            }
        }
        if (found) {
            busy.leave();
            setLamp(clYellow);
            Beep(HighBeepHz, BeepMs);
        } else {
            pnMsg->setText(Msg(21) + portSuffix(ScanCommNo) + ")");
            busy.leave();
            setLamp(clRed);
            Beep(LowBeepHz, BeepMs);
        }
    } else {
        busy.leave();
        setLamp(clRed);
        cmbBaudRate->setCurrentIndex(DefaultLineSettingIndex);
        pnMsg->setText(Msg(22));
        Beep(LowBeepHz, BeepMs);
    }
}
