// The window as the user meets it: the state after start, the texts of each
// language, busy mode, the clock, closing, the Enter key, a handler that
// throws, and what assistive technology and the fonts can make of it.
#include <QAccessible>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <stdexcept>

#include "app/beep.h"
#include "app/colours.h"
#include "app/globals.h"
#include "app/shape.h"
#include "i18n/catalogue.h"
#include "res/pictures.h"
#include "support.h"

using namespace guitest;

namespace {

// The twenty texts FormShow writes, in its order.
QStringList formShowTexts(const TfrmModule& w) {
    return {w.windowTitle(),        w.pnVELDO->text(),     w.pnMsg->text(),
            w.pnSerial->text(),     w.pnVersion->text(),   w.lblTestCard->text(),
            w.lblAlarm->text(),     w.btnScan->text(),     w.btnSetDate->text(),
            w.btnAlarm->text(),     w.btnSetCard->text(),  w.btnProcess->text(),
            w.gbDefault->title(),   w.pcDefault->tabText(w.pcDefault->indexOf(w.tsDefault)),
            w.pcDefault->tabText(w.pcDefault->indexOf(w.tsSerial)),
            w.btnFactory->text(),   w.btnExit->text(),     w.lblCommand->text(),
            w.btnCommand->text(),   w.lblRecCommand->text()};
}

// Texts FormShow must leave alone.
QStringList untouchedTexts(const TfrmModule& w) {
    QStringList texts{w.lblBaudRate->text(), w.btnBaudRate->text(), w.btnDIDO->text(),
                      w.btnEng->text(),      w.pnSN->text(),        w.pnDate->text(),
                      w.pnSetDate->text(),   w.chkLock->text(),     w.edCardID->text(),
                      w.edCommand->text(),   w.edRecCommand->text(), w.cmbBaudRate->currentText(),
                      w.cmbAlarm->currentText()};
    for (int i = 0; i < 4; ++i) texts << w.lblDI[i]->text() << w.chkDO[i]->text();
    return texts;
}

QString stripAmpersand(QString text) { return text.remove(QLatin1Char('&')); }

} // namespace

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void startState();
    void clockShowsLocalTime();
    void formShowInEachLanguage_data();
    void formShowInEachLanguage();
    void busyBlinkKeepsItsPhase();
    void closeRefusedExitCloses();
    void enterPressesTheDefaultButton_data();
    void enterPressesTheDefaultButton();
    void exceptionInHandlerIsShownAndWindowRestored();
    void outcomeAndRefusalSignals();
    void accessibleNamesAndLampDescription();
    void chineseTextsHaveGlyphs();
};

void WindowTest::startState() {
    ConfigHome home;
    BeepRecorder beeps;
    Window w = createWindow(false);
    // Before the first clock tick and before FormShow.
    QCOMPARE(w->pnSetDate->text(), QString("2001/01/01 12:00:00"));
    QCOMPARE(w->pnMsg->text(), QString("Start Scan Controller"));
    QCOMPARE(w->btnScan->text(), QString("&Scan Controller"));

    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QCOMPARE(w->windowTitle(), QString("VELDO QX530RM-V3 Config V3.20-01"));
    QCOMPARE(w->pnMsg->text(), QString("Start Scan Controller!"));
    QCOMPARE(w->cmbBaudRate->count(), 12);
    QCOMPARE(w->cmbBaudRate->currentText(), QString("19200,e,8,1"));
    QCOMPARE(w->cmbAlarm->count(), 7);
    QCOMPARE(w->cmbAlarm->currentText(), QString("Alarm Off"));
    QCOMPARE(w->lampColour(), clRed);
    QCOMPARE(w->edCardID->text(), QString("00000000"));
    QCOMPARE(w->edCardID->maxLength(), 8);
    QCOMPARE(w->edCommand->text(), QString("AB"));
    QVERIFY(w->edRecCommand->isReadOnly());
    QVERIFY(w->chkLock->isChecked());
    for (QCheckBox* box : w->chkDO) QVERIFY(!box->isChecked());
    QCOMPARE(w->pcDefault->currentWidget(), w->tsDefault);
    QVERIFY(!ControllerFound);
    QVERIFY(!TestRunning);
    QVERIFY(w->isEnabled());
    QVERIFY(!w->isBusy());
    QCOMPARE(w->tmrBusy->interval(), 200);
    QCOMPARE(w->tmrClock->interval(), 500);
    QVERIFY(w->tmrClock->isActive());
    QCOMPARE(w->focusWidget(), w->btnScan);
    // Fixed size, no close box, no maximise box.
    QCOMPARE(w->size(), QSize(560, 435));
    QCOMPARE(w->minimumSize(), w->maximumSize());
    QVERIFY(!(w->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    // The lamp sits inside the status line.
    QCOMPARE(w->shComm->parentWidget(), w->pnMsg);
    // Starting stores nothing.
    QVERIFY(!home.settingsExist());
    QVERIFY(beeps.tones.empty());
}

void WindowTest::clockShowsLocalTime() {
    ConfigHome home;
    Window w = createWindow();
    const QRegularExpression format("^\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2}$");
    QTRY_VERIFY_WITH_TIMEOUT(w->pnSetDate->text() != "2001/01/01 12:00:00", 10000);
    QVERIFY(format.match(w->pnSetDate->text()).hasMatch());
    const QDateTime shown = QDateTime::fromString(w->pnSetDate->text(), "yyyy/MM/dd hh:mm:ss");
    QVERIFY(shown.isValid());
    QVERIFY(qAbs(shown.secsTo(QDateTime::currentDateTime())) < 60);
    // It keeps running while busy.
    w->SetBusy(true);
    const QString before = w->pnSetDate->text();
    QTRY_VERIFY_WITH_TIMEOUT(w->pnSetDate->text() != before, 10000);
    w->SetBusy(false);
}

void WindowTest::formShowInEachLanguage_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("expected");
    const QString web = "   www.veldo.example";
    QTest::newRow("English") << 0 << QStringList{
        "VELDO QX530RM-V3 Config V3.20-01", "VELDO Technology Corp." + web, "Start Scan Controller!",
        "QX530RM_  ID : __", "VER : __.__-__", "Test Card:", "Alarm Test:", "Scan Controller",
        "Set Date Time", "Set Controller Alarm Test", "Add Reader and Card", "Auto Test", "Quick Setting",
        "Default", "Command", "(Factory Default)", "Exit", "Test Command.", "Test Command.", "Rec Command."};
    QTest::newRow("simplified Chinese") << 1 << QStringList{
        "VELDO QX530RM-V3 控制器设定程式 V3.20-01", "维朵股份有限公司" + web, "请先扫描控制器!",
        "QX530RM_  ID : __", "版本 : __.__-__", "测试卡:", "警报测试:", "扫描控制器", "设定日期时间",
        "设定警报测试", "设定读卡机与卡片", "自动测试", "快速设定", "预设", "指令测试", "(出厂预设)", "结束",
        "", "", ""};
    QTest::newRow("traditional Chinese") << 2 << QStringList{
        "VELDO QX530RM-V3 控制器設定程式 V3.20-01", "維朵股份有限公司" + web, "請先掃描控制器!",
        "QX530RM_  ID : __", "版本 : __.__-__", "測試卡:", "警報測試:", "掃描控制器", "設定日期時間",
        "設定警報測試", "設定讀卡機與卡片", "自動測試", "快速設定", "預設", "指令測試", "(出廠預設)", "結束",
        "指令測試", "指令測試", "接收指令"};
}

void WindowTest::formShowInEachLanguage() {
    QFETCH(int, language);
    QFETCH(QStringList, expected);
    ConfigHome home;
    BeepRecorder beeps;
    Window w = createWindow();
    QPushButton* buttons[] = {w->btnEng, w->btnGB, w->btnBIG5};

    // Come from another language, with values an operation has written.
    buttons[(language + 1) % 3]->click();
    w->pnSN->setText("S / N : 12345678");
    w->pnDate->setText("2004/07/15  14:03:09");
    w->pnSerial->setText(catalogueText(17, LanguageNo) + " : 07");
    w->cmbAlarm->setCurrentIndex(3);
    w->cmbBaudRate->setCurrentIndex(9);
    const QStringList before = untouchedTexts(*w);

    buttons[language]->click();
    QCOMPARE(LanguageNo, language);
    QCOMPARE(formShowTexts(*w), expected);
    QCOMPARE(untouchedTexts(*w), before);
    QCOMPARE(w->btnBaudRate->text(), QString("Set &Baud Rate"));
    QCOMPARE(w->btnEng->palette().color(QPalette::ButtonText), clRed);
    const char* flags[] = {"English", "ChineseGB", "ChineseBIG5"};
    QCOMPARE(home.storedText("LanguageFlag"), QString(flags[language]));

    // The same language again stores and applies it again.
    QFile::remove(home.settingsPath());
    w->pnMsg->setText("something else");
    buttons[language]->click();
    QCOMPARE(formShowTexts(*w), expected);
    QCOMPARE(home.storedText("LanguageFlag"), QString(flags[language]));
    QVERIFY(beeps.tones.empty());
}

void WindowTest::busyBlinkKeepsItsPhase() {
    ConfigHome home;
    Window w = createWindow();
    QCOMPARE(w->busyBlinkPhase(), 0);
    w->setLamp(clWhite);   // so that the first blink can be seen

    w->SetBusy(true);
    w->SetBusy(true);
    QVERIFY(!w->isEnabled());
    QVERIFY(w->isBusy());
    QTRY_VERIFY_WITH_TIMEOUT(w->lampColour() != clWhite, 5000);
    QCOMPARE(w->lampColour(), clRed);          // phase 0 becomes 1: red first
    QTRY_COMPARE_WITH_TIMEOUT(w->lampColour(), clYellow, 5000);
    QCOMPARE(w->busyBlinkPhase(), 0);

    // One call with false ends busy mode; the lamp keeps its last colour.
    w->SetBusy(false);
    QVERIFY(w->isEnabled());
    QVERIFY(!w->isBusy());
    const QColor last = w->lampColour();
    const int phase = w->busyBlinkPhase();
    QTest::qWait(600);
    QCOMPARE(w->lampColour(), last);
    QCOMPARE(w->busyBlinkPhase(), phase);

    // Busy again: the blink goes on from the kept phase.
    w->SetBusy(true);
    QTRY_VERIFY_WITH_TIMEOUT(w->busyBlinkPhase() != phase, 5000);
    QCOMPARE(w->lampColour(), phase == 1 ? clYellow : clRed);
    w->SetBusy(false);
}

void WindowTest::closeRefusedExitCloses() {
    ConfigHome home;
    Window w = createWindow();
    QVERIFY(!w->close());
    QCloseEvent fromWindowManager;
    QApplication::sendEvent(w.get(), &fromWindowManager);
    QVERIFY(!fromWindowManager.isAccepted());
    QVERIFY(w->isVisible());

    QVERIFY(!w->btnExit->icon().isNull());
    QTest::mouseClick(w->btnExit, Qt::LeftButton);
    QVERIFY(!w->isVisible());
    QVERIFY(!home.settingsExist());   // nothing is saved at exit
}

void WindowTest::enterPressesTheDefaultButton_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("pressed");
    QTest::newRow("drop-down list") << "cmbAlarm" << int(Qt::Key_Return) << "btnScan";
    QTest::newRow("keypad Enter") << "cmbBaudRate" << int(Qt::Key_Enter) << "btnScan";
    QTest::newRow("edit") << "edCardID" << int(Qt::Key_Return) << "btnScan";
    QTest::newRow("check box") << "chkDO2" << int(Qt::Key_Return) << "btnScan";
    QTest::newRow("the scan button itself") << "btnScan" << int(Qt::Key_Return) << "btnScan";
    QTest::newRow("another button") << "btnSetDate" << int(Qt::Key_Return) << "btnSetDate";
}

void WindowTest::enterPressesTheDefaultButton() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(QString, pressed);
    ConfigHome home;
    BeepRecorder beeps;
    Window w = createWindow();
    QList<QPushButton*> buttons = w->findChildren<QPushButton*>();
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (QPushButton* b : buttons) spies.push_back(std::make_unique<QSignalSpy>(b, &QPushButton::clicked));

    auto* target = w->findChild<QWidget*>(focus);
    QVERIFY(target);
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key));

    for (qsizetype i = 0; i < buttons.size(); ++i)
        QCOMPARE(spies[size_t(i)]->count(), buttons[i]->objectName() == pressed ? 1 : 0);
}

void WindowTest::exceptionInHandlerIsShownAndWindowRestored() {
    ConfigHome home;
    Window w = createWindow();
    // A handler that takes the window the way an operation does, then fails.
    auto* failing = new QPushButton("fail", w.get());
    failing->setGeometry(0, 0, 10, 10);
    failing->show();
    QObject::connect(failing, &QPushButton::clicked, [&] {
        w->SetBusy(true);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        throw std::runtime_error("COM port vanished");
    });
    MessageBoxAnswerer answerer;
    for (int round = 1; round <= 2; ++round) {
        QTest::mouseClick(failing, Qt::LeftButton);
        QCOMPARE(answerer.texts.size(), round);
        QCOMPARE(answerer.texts.last(), QString("COM port vanished"));
        QVERIFY(w->isEnabled());
        QVERIFY(!w->isBusy());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }
    // The program goes on: the next click works as usual.
    QTest::mouseClick(w->btnEng, Qt::LeftButton);
    QCOMPARE(home.storedText("LanguageFlag"), QString("English"));
}

void WindowTest::outcomeAndRefusalSignals() {
    ConfigHome home;
    BeepRecorder beeps;
    Window w = createWindow();
    QStringList seenAtBeep;
    setBeepSink([&](int hz, int ms) {
        // Lamp and text are already there when the tone sounds.
        seenAtBeep << QString("%1 %2 %3 %4").arg(hz).arg(ms).arg(w->lampColour().name(), w->pnMsg->text());
    });
    w->reportOutcome(true, "fine");
    w->reportOutcome(false, "failed");
    w->btnGB->click();
    w->reportRefusal();
    QCOMPARE(seenAtBeep, (QStringList{"1000 300 #ffff00 fine", "300 300 #ff0000 failed",
                                      "300 300 #ff0000 请先扫描控制器!"}));
}

void WindowTest::accessibleNamesAndLampDescription() {
    ConfigHome home;
    Window w = createWindow();
    auto nameOf = [](QObject* o) { return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name); };
    for (QLabel* label : w->findChildren<QLabel*>())
        if (!label->text().isEmpty()) QCOMPARE(nameOf(label), label->text());
    for (QAbstractButton* button : w->findChildren<QAbstractButton*>())
        if (!button->text().isEmpty()) QCOMPARE(nameOf(button), stripAmpersand(button->text()));
    QCOMPARE(nameOf(w->btnGB), QString("簡体"));
    QCOMPARE(nameOf(w->btnBIG5), QString("繁體"));
    // Edits are named by their labels, in the current language; lists by their selection.
    QCOMPARE(nameOf(w->edCardID), QString("Test Card:"));
    QCOMPARE(nameOf(w->cmbAlarm), QString("Alarm Off"));
    w->btnBIG5->click();
    QCOMPARE(nameOf(w->edCardID), QString("測試卡:"));

    QAccessibleInterface* lamp = QAccessible::queryAccessibleInterface(w->shComm);
    QCOMPARE(lamp->role(), QAccessible::Indicator);
    QCOMPARE(lamp->text(QAccessible::Description), QString("red"));
    w->setLamp(clYellow);
    QCOMPARE(lamp->text(QAccessible::Description), QString("yellow"));
    QCOMPARE(QAccessible::queryAccessibleInterface(w->shDI[0])->text(QAccessible::Description),
             QString("white"));
}

void WindowTest::chineseTextsHaveGlyphs() {
    ConfigHome home;
    Window w = createWindow();
    for (QPushButton* button : {w->btnGB, w->btnBIG5}) {
        button->click();
        const QStringList texts = formShowTexts(*w);
        const QFont fonts[] = {w->font(), w->pnVELDO->font(), w->lblAlarm->font(), w->pcDefault->font()};
        for (const QFont& font : fonts) {
            const QFontMetrics metrics(font);
            for (const QString& text : texts)
                for (char32_t c : text.toUcs4())
                    QVERIFY2(metrics.inFontUcs4(c),
                             qPrintable(QString("no glyph for %1 in %2").arg(QString::fromUcs4(&c, 1), text)));
        }
    }
    // Status texts of the operations go to pnMsg.
    const QFontMetrics status(w->pnMsg->font());
    for (int language = 1; language <= 2; ++language)
        for (int message = 0; message < MessageCount; ++message)
            for (char32_t c : catalogueText(message, language).toUcs4())
                QVERIFY2(status.inFontUcs4(c), qPrintable(catalogueText(message, language)));
    // The two language pictures.
    QFont picture(cjkPictureFamily());
    picture.setPixelSize(15);
    for (char32_t c : QStringLiteral("簡体繁體").toUcs4()) QVERIFY(QFontMetrics(picture).inFontUcs4(c));
}

QX_GUI_TEST_MAIN(WindowTest)
#include "test_window.moc"
