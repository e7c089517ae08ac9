#include "app/frm_module.h"
#include "app/globals.h"
#include "i18n/catalogue.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace {

void selectLanguage(TfrmModule* window, int number, const char* flag) {
    LanguageNo = number;
    LanguageFlag = flag;
    window->SaveLanguage();
    window->FormShow();
}

} // namespace

void TfrmModule::btnEngClick() { selectLanguage(this, 0, "English"); }

void TfrmModule::btnGBClick() { selectLanguage(this, 1, "ChineseGB"); }

void TfrmModule::btnBIG5Click() { selectLanguage(this, 2, "ChineseBIG5"); }

// Writes the current language into the caption and nineteen controls. The
// list items, the baud rate controls, the DI/DO controls, the language
// buttons, the clock panels, chkLock and the edits stay as they are.
void TfrmModule::FormShow() {
    setWindowTitle(Msg(1));
    pnVELDO->setText(Msg(0));
    pnMsg->setText(Msg(2));
    pnSerial->setText(Msg(17) + QStringLiteral(" : __"));
    pnVersion->setText(Msg(18) + QStringLiteral(" : __.__-__"));
    lblTestCard->setText(Msg(9) + QStringLiteral(":"));
    lblAlarm->setText(Msg(26) + QStringLiteral(":"));
    btnScan->setText(Msg(16));
    btnSetDate->setText(Msg(23));
    btnAlarm->setText(Msg(27));
    btnSetCard->setText(Msg(30));
    btnProcess->setText(Msg(5));
    gbDefault->setTitle(Msg(8));
    pcDefault->setTabText(pcDefault->indexOf(tsDefault), Msg(10));
    pcDefault->setTabText(pcDefault->indexOf(tsSerial), Msg(39));
    btnFactory->setText(QStringLiteral("(") + Msg(6) + QStringLiteral(")"));
    btnExit->setText(Msg(13));
    lblCommand->setText(Msg(40));
    btnCommand->setText(Msg(40));
    lblRecCommand->setText(Msg(43));
}
