// The single-shot operations and the console against a simulated controller:
// what goes on the line, in order, and what the window shows.
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "app/colours.h"
#include "app/globals.h"
#include "link/serial_port.h"
#include "support_sim.h"

using Payloads = std::vector<std::string>;
using Handler = void (TfrmModule::*)();
Q_DECLARE_METATYPE(Handler)

namespace {

bool isClockSetting(const std::string& payload) {
    if (payload.size() != 18 || payload.compare(0, 4, "01AA") != 0) return false;
    return payload.find_first_not_of("0123456789", 4) == std::string::npos;
}

}  // namespace

class OperationsTest : public QObject {
    Q_OBJECT
private slots:
    void refusedBeforeScan_data();
    void refusedBeforeScan();
    void silentControllerGetsExactlyTwoClockReads_data();
    void silentControllerGetsExactlyTwoClockReads();
    void setDateSendsLocalTime();
    void clockReadOfWrongLengthSkipsTheCommand_data();
    void clockReadOfWrongLengthSkipsTheCommand();
    void alarmSendsTheSelectedKind();
    void cardRecordCarriesTheTypedId_data();
    void cardRecordCarriesTheTypedId();
    void cardNotSentWhenReaderFails();
    void factorySeriesInOrderWithTheWindowHeld();
    void factoryRetriesTheWholeSeries();
    void factoryLeavesTheProgramTalkingAtTheDefault();
    void baudRateChangesTheSettingInUse_data();
    void baudRateChangesTheSettingInUse();
    void baudRateFailureKeepsTheSetting();
    void consoleShowsTheWholeReply();
    void consoleEmptyTextAndSilence();
};

void OperationsTest::refusedBeforeScan_data() {
    QTest::addColumn<Handler>("handler");
    QTest::newRow("set date") << &TfrmModule::btnSetDateClick;
    QTest::newRow("alarm") << &TfrmModule::btnAlarmClick;
    QTest::newRow("card") << &TfrmModule::btnSetCardClick;
    QTest::newRow("factory") << &TfrmModule::btnFactoryClick;
    QTest::newRow("baud rate") << &TfrmModule::btnBaudRateClick;
    QTest::newRow("console") << &TfrmModule::btnCommandClick;
}

void OperationsTest::refusedBeforeScan() {
    QFETCH(Handler, handler);
    SimBench bench;
    auto& sim = bench.addController();
    TfrmModule& form = bench.window();
    form.cmbBaudRate->setCurrentIndex(2);
    (form.*handler)();

    QVERIFY(sim.payloads().empty());
    QVERIFY(CommHandle() == nullptr);
    QCOMPARE(bench.lamp(), clRed);
    QCOMPARE(bench.status(), QString("Start Scan Controller!"));
    QCOMPARE(bench.tones(), (Tones{{300, 300}}));
    QVERIFY(form.isEnabled());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    // The factory default moves the list to its setting even when refused.
    const bool factory = handler == &TfrmModule::btnFactoryClick;
    QCOMPARE(form.cmbBaudRate->currentIndex(), factory ? 5 : 2);
}

void OperationsTest::silentControllerGetsExactlyTwoClockReads_data() {
    QTest::addColumn<Handler>("handler");
    QTest::addColumn<QString>("error");
    QTest::newRow("set date") << &TfrmModule::btnSetDateClick << "Set Date Time Error";
    QTest::newRow("alarm") << &TfrmModule::btnAlarmClick << "Set Controller Alarm Test Error";
    QTest::newRow("card") << &TfrmModule::btnSetCardClick << "Add Reader and Card Error";
    QTest::newRow("baud rate") << &TfrmModule::btnBaudRateClick << "Set Module BaudRate Error";
    // Two for its date step, two for its own series, and nothing after them.
    QTest::newRow("factory") << &TfrmModule::btnFactoryClick << "Set Factory Default Error";
}

void OperationsTest::silentControllerGetsExactlyTwoClockReads() {
    QFETCH(Handler, handler);
    QFETCH(QString, error);
    const bool factory = handler == &TfrmModule::btnFactoryClick;
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    sim.setBehaviour("AB", {sim::Fault::Silent});
    TfrmModule& form = bench.window();
    (form.*handler)();

    const Payloads twoReads{"01AB", "01AB"};
    const Payloads fourReads{"01AB", "01AB", "01AB", "01AB"};
    QCOMPARE(toList(sim.payloads()), toList(factory ? fourReads : twoReads));
    QCOMPARE(bench.status(), error);
    QCOMPARE(bench.lamp(), clRed);
    QCOMPARE(bench.tones(), factory ? (Tones{{300, 300}, {300, 300}}) : (Tones{{300, 300}}));
    QVERIFY(form.isEnabled());
    QVERIFY(CommHandle() == nullptr);
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void OperationsTest::setDateSendsLocalTime() {
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    TfrmModule& form = bench.window();
    const QString dateBefore = form.pnDate->text();
    form.btnSetDateClick();

    const Payloads sent = sim.payloads();
    QCOMPARE(sent.size(), std::size_t(2));
    QCOMPARE(sent[0], std::string("01AB"));
    QVERIFY2(isClockSetting(sent[1]), sent[1].c_str());
    const QDateTime sentTime = QDateTime::fromString(QString::fromStdString(sent[1].substr(4)), "yyyyMMddhhmmss");
    QVERIFY(qAbs(sentTime.secsTo(QDateTime::currentDateTime())) < 120);
    QCOMPARE(bench.status(), QString("Set Date Time Ok"));
    QCOMPARE(bench.lamp(), clYellow);
    QCOMPARE(bench.tones(), (Tones{{1000, 300}}));
    QCOMPARE(form.pnDate->text(), dateBefore);
}

void OperationsTest::clockReadOfWrongLengthSkipsTheCommand_data() {
    QTest::addColumn<int>("fault");
    QTest::newRow("25 bytes") << int(sim::Fault::ShortLength);
    QTest::newRow("27 bytes") << int(sim::Fault::WrongLength);
}

void OperationsTest::clockReadOfWrongLengthSkipsTheCommand() {
    QFETCH(int, fault);
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    sim.setBehaviour("AB", {sim::Fault(fault)});
    bench.window().btnSetDateClick();

    QCOMPARE(toList(sim.payloads()), toList(Payloads{"01AB", "01AB"}));
    QCOMPARE(bench.status(), QString("Set Date Time Error"));
}

void OperationsTest::alarmSendsTheSelectedKind() {
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    TfrmModule& form = bench.window();
    form.cmbAlarm->setCurrentIndex(3);   // Fire Alarm
    form.btnAlarmClick();
    form.cmbAlarm->setCurrentIndex(0);   // Alarm Off
    form.btnAlarmClick();

    QCOMPARE(toList(sim.payloads()), toList(Payloads{"01AB", "01JF3", "01AB", "01JF0"}));
    QCOMPARE(bench.status(), QString("Set Controller Alarm Test Ok"));
    QCOMPARE(bench.tones(), (Tones{{1000, 300}, {1000, 300}}));
}

void OperationsTest::cardRecordCarriesTheTypedId_data() {
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("record");
    QTest::newRow("8") << "12345678" << "01HA00010000000012345678010XXXX0";
    QTest::newRow("4") << "1234" << "01HA0001000000001234010XXXX0";
    QTest::newRow("empty") << "" << "01HA000100000000010XXXX0";
}

void OperationsTest::cardRecordCarriesTheTypedId() {
    QFETCH(QString, card);
    QFETCH(QString, record);
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    TfrmModule& form = bench.window();
    form.pnMsg->setText("before");
    form.edCardID->setText(card);
    form.btnSetCardClick();

    QCOMPARE(toList(sim.payloads()), toList(Payloads{"01AB", "01DCA11", record.toStdString()}));
    QCOMPARE(bench.status(), QString("Add Reader and Card Ok"));
    QCOMPARE(bench.lamp(), clYellow);
}

void OperationsTest::cardNotSentWhenReaderFails() {
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    sim.setBehaviour("DCA11", {sim::Fault::Silent});
    TfrmModule& form = bench.window();
    form.pnMsg->setText("before");
    QString shownDuringRun;
    bench.whileRunning([&] { form.btnSetCardClick(); },
                       [&] { if (sim.payloads().size() == 2) shownDuringRun = bench.status(); });

    QCOMPARE(toList(sim.payloads()), toList(Payloads{"01AB", "01DCA11", "01AB", "01DCA11"}));
    QCOMPARE(shownDuringRun, QString("before"));   // no start text of its own
    QCOMPARE(bench.status(), QString("Add Reader and Card Error"));
}

void OperationsTest::factorySeriesInOrderWithTheWindowHeld() {
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    TfrmModule& form = bench.window();
    form.cmbBaudRate->setCurrentIndex(2);
    bool enabledDuringSeries = false;
    bool cursorLostDuringSeries = false;
    bench.whileRunning([&] { form.btnFactoryClick(); }, [&] {
        if (sim.payloads().size() >= 2 && sim.payloads().size() < 8) {
            enabledDuringSeries |= form.isEnabled();
            cursorLostDuringSeries |= QApplication::overrideCursor() == nullptr;
        }
    });

    const Payloads sent = sim.payloads();
    QCOMPARE(sent.size(), std::size_t(8));
    QVERIFY(isClockSetting(sent[1]));
    QCOMPARE(toList(Payloads(sent.begin() + 2, sent.end())),
             toList(Payloads{"01AB", "01DCA11", "01IH", "01JD", "01HK", "01AE5"}));
    QVERIFY(!enabledDuringSeries);
    QVERIFY(!cursorLostDuringSeries);
    QCOMPARE(form.cmbBaudRate->currentIndex(), 5);
    QCOMPARE(bench.status(), QString("Set Factory Default Ok"));
    QCOMPARE(bench.tones(), (Tones{{1000, 300}, {1000, 300}}));
    QVERIFY(form.isEnabled());
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void OperationsTest::factoryRetriesTheWholeSeries() {
    SimBench bench;
    auto& sim = bench.addController(3, 5);
    bench.scanAndForget();
    sim.setBehaviour("AE", {sim::Fault::Silent, 0, 1});
    sim.setBehaviour("IH", {sim::Fault::Silent});
    bench.window().btnFactoryClick();

    const Payloads series{"01AB", "01DCA11", "01IH", "01JD", "01HK", "01AE5"};
    Payloads expected = series;
    expected.insert(expected.end(), series.begin(), series.end());
    const Payloads sent = sim.payloads();
    QCOMPARE(toList(Payloads(sent.begin() + 2, sent.end())), toList(expected));
    QCOMPARE(bench.status(), QString("Set Factory Default Ok"));
}

void OperationsTest::factoryLeavesTheProgramTalkingAtTheDefault() {
    // Found at 57600: a successful factory default leaves the controller at
    // "19200,e,8,1", and the program follows it there.
    SimBench bench;
    auto& sim = bench.addController(3, 8);
    bench.writeSettings({"\"ScanBaudRateNo\"=dword:00000008", "\"ScanBaudRate\"=\"57600,n,8,1\""});
    bench.scanAndForget();
    bench.window().btnFactoryClick();
    QCOMPARE(bench.status(), QString("Set Factory Default Ok"));
    QCOMPARE(ScanBaudRateNo, 5);
    QCOMPARE(ScanBaudRate, std::string("19200,e,8,1"));
    QCOMPARE(sim.settingIndex(), 5);

    sim.clearLog();
    bench.window().btnSetDateClick();
    QCOMPARE(bench.status(), QString("Set Date Time Ok"));
    QCOMPARE(sim.log().front().baud, 19200);
}

void OperationsTest::baudRateChangesTheSettingInUse_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("payload");
    QTest::addColumn<QString>("setting");
    QTest::newRow("9") << 9 << "01AE9" << "57600,e,8,1";
    QTest::newRow("A") << 10 << "01AEA" << "115200,n,8,1";
    QTest::newRow("B") << 11 << "01AEB" << "115200,e,8,1";
}

void OperationsTest::baudRateChangesTheSettingInUse() {
    QFETCH(int, index);
    QFETCH(QString, payload);
    QFETCH(QString, setting);
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    const QString stored = bench.settingsText();
    TfrmModule& form = bench.window();
    form.cmbBaudRate->setCurrentIndex(index);
    sim.setBehaviour("AB", {sim::Fault::None, 20});   // a reply that takes a while, as on a real line
    QStringList shown;
    bench.whileRunning([&] { form.btnBaudRateClick(); },
                       [&] { if (!shown.contains(bench.status())) shown << bench.status(); });

    QVERIFY(shown.contains("Set Module BaudRate = " + setting));
    QCOMPARE(toList(sim.payloads()), toList(Payloads{"01AB", payload.toStdString()}));
    QCOMPARE(bench.status(), QString("Set Module BaudRate Ok"));
    QCOMPARE(ScanBaudRateNo, index);
    QCOMPARE(QString::fromStdString(ScanBaudRate), setting);
    QCOMPARE(bench.settingsText(), stored);   // only a scan stores the setting

    sim.clearLog();
    form.btnSetDateClick();   // the next operation talks at the new setting
    QCOMPARE(bench.status(), QString("Set Date Time Ok"));
    QCOMPARE(sim.log().front().baud, setting.section(',', 0, 0).toInt());
}

void OperationsTest::baudRateFailureKeepsTheSetting() {
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    sim.setBehaviour("AE", {sim::Fault::Silent});
    TfrmModule& form = bench.window();
    form.cmbBaudRate->setCurrentIndex(6);
    form.btnBaudRateClick();

    // The controller switched but its reply was lost: the second attempt's
    // clock read at the old setting goes unanswered.
    QCOMPARE(toList(sim.payloads()), toList(Payloads{"01AB", "01AE6", "01AB"}));
    QCOMPARE(bench.status(), QString("Set Module BaudRate Error"));
    QCOMPARE(ScanBaudRateNo, 5);
    QCOMPARE(ScanBaudRate, std::string("19200,e,8,1"));
}

void OperationsTest::consoleShowsTheWholeReply() {
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    TfrmModule& form = bench.window();
    form.btnCommandClick();   // "AB" as the window opens

    QCOMPARE(toList(sim.payloads()), toList(Payloads{"01AC", "01AB"}));
    QCOMPARE(bench.status(), QString("Test Command Ok."));
    const QString shown = form.edRecCommand->text();
    QCOMPARE(shown.size(), 26);
    QCOMPARE(shown.front(), QChar(0x2403));   // ETX made visible
    QCOMPARE(shown.back(), QChar(0x240D));    // CR made visible
    QVERIFY(shown.contains(QChar(0x2404)));   // EOT
}

void OperationsTest::consoleEmptyTextAndSilence() {
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    TfrmModule& form = bench.window();
    form.edCommand->clear();
    form.btnCommandClick();
    QCOMPARE(toList(sim.payloads()), toList(Payloads{"01AC", "01"}));
    QCOMPARE(bench.status(), QString("Test Command Ok."));
    QVERIFY(!form.edRecCommand->text().isEmpty());

    // Silence: two attempts, each with its answer check, and the reply field
    // emptied although the press before had filled it.
    sim.clearLog();
    sim.setBehaviour("*", {sim::Fault::Silent});
    form.edCommand->setText("ZZ");
    form.btnCommandClick();
    QCOMPARE(toList(sim.payloads()), toList(Payloads{"01AC", "01ZZ", "01AC", "01ZZ"}));
    QCOMPARE(bench.status(), QString("Test Command Error!"));
    QVERIFY(form.edRecCommand->text().isEmpty());
    QCOMPARE(bench.lamp(), clRed);
}

QX_GUI_TEST_MAIN(OperationsTest)
#include "test_operations.moc"
