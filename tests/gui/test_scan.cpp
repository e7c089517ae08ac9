// The scan against simulated controllers: where it looks, what it stores,
// what it shows, and how each way of failing ends.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTest>

#include "app/colours.h"
#include "app/globals.h"
#include "support_sim.h"

using Payloads = std::vector<std::string>;

class ScanTest : public QObject {
    Q_OBJECT
private slots:
    void firstScanStartsAtCom1AndIdentifies();
    void foundInQuickTryStoresNothing();
    void fullScanStepsThroughSettingsAndSavesBeforeIdentifying();
    void lockedScanTriesOnlyTheRememberedSetting();
    void findReplyOfWrongLengthIsNoFind();
    void silentSerialNumberStillIdentifies();
    void modelReadFailingOnceOrTwice_data();
    void modelReadFailingOnceOrTwice();
    void notFound();
};

void ScanTest::firstScanStartsAtCom1AndIdentifies() {
    SimBench bench;
    auto& sim = bench.addController(3, 5, "07");
    TfrmModule& form = bench.window();
    form.btnScanClick();

    QCOMPARE(toList(sim.payloads()), toList(Payloads{"00AC", "07DB", "07AS", "07AB"}));
    QVERIFY(ControllerFound);
    QCOMPARE(QString::fromStdString(ControllerID), QString("07"));
    QCOMPARE(bench.status(), QString("Get Controller Info Ok. (COM : #3)"));
    QVERIFY(form.pnSerial->text().endsWith("  ID : 07"));
    QVERIFY(form.pnVersion->text().startsWith("VER : "));
    QVERIFY(form.pnSN->text().startsWith("S / N : "));
    QCOMPARE(form.pnDate->text().size(), 20);
    QCOMPARE(bench.lamp(), clYellow);
    QCOMPARE(bench.tones(), (Tones{{1000, 300}}));
    QVERIFY(!form.isBusy());
    QVERIFY(form.isEnabled());
    QVERIFY(bench.settingsText().contains("\"ScanCommNo\"=dword:00000003"));
    QVERIFY(bench.settingsText().contains("\"ScanBaudRateNo\"=dword:00000005"));
    QVERIFY(bench.settingsText().contains("\"ScanBaudRate\"=\"19200,e,8,1\""));
}

void ScanTest::foundInQuickTryStoresNothing() {
    SimBench bench;
    auto& sim = bench.addController(5, 4);
    bench.writeSettings({"\"ScanCommNo\"=dword:00000005", "\"ScanBaudRateNo\"=dword:00000004",
                         "\"ScanBaudRate\"=\"19200,n,8,1\""});
    const QString before = bench.settingsText();
    TfrmModule& form = bench.window();
    form.chkLock->setChecked(false);
    form.btnScanClick();

    QVERIFY(ControllerFound);
    QCOMPARE(sim.payloads().front(), std::string("00AC"));
    QCOMPARE(sim.payloads().size(), std::size_t(4));
    QCOMPARE(bench.settingsText(), before);
    QCOMPARE(form.cmbBaudRate->currentIndex(), 4);
}

void ScanTest::fullScanStepsThroughSettingsAndSavesBeforeIdentifying() {
    // Parity cannot be seen on a pseudo-terminal, so the simulator sits at an
    // "n" setting, which the scan reaches first among the two of its speed.
    SimBench bench;
    auto& sim = bench.addController(3, 8);
    sim.setBehaviour("DB", {sim::Fault::Silent});
    TfrmModule& form = bench.window();
    form.chkLock->setChecked(false);
    form.btnScanClick();

    // Settings 0..7 were tried twice each at their own speeds, then 8 answered.
    const auto log = sim.log();
    QVERIFY(log.size() >= 17);
    const int speeds[] = {4800, 4800, 9600, 9600, 19200, 19200, 38400, 38400};
    for (int i = 0; i < 16; ++i) QCOMPARE(log[i].baud, speeds[i / 2]);
    QCOMPARE(log[16].baud, 57600);
    QCOMPARE(log[17].payload, std::string("01DB"));

    // Saved at the find, kept although the identification then failed.
    QVERIFY(bench.settingsText().contains("\"ScanCommNo\"=dword:00000003"));
    QVERIFY(bench.settingsText().contains("\"ScanBaudRateNo\"=dword:00000008"));
    QVERIFY(bench.settingsText().contains("\"ScanBaudRate\"=\"57600,n,8,1\""));
    QVERIFY(!ControllerFound);
    QCOMPARE(bench.status(), QString("Get Controller Info Error. (COM : #3)"));
    QCOMPARE(bench.lamp(), clRed);
    QCOMPARE(bench.tones(), (Tones{{300, 300}}));
}

void ScanTest::lockedScanTriesOnlyTheRememberedSetting() {
    SimBench bench;
    auto& silent = bench.addController(2, 11);   // another speed: never answers here
    auto& sim = bench.addController(6, 7);
    bench.writeSettings({"\"ScanBaudRateNo\"=dword:00000007", "\"ScanBaudRate\"=\"38400,e,8,1\""});
    TfrmModule& form = bench.window();
    QVERIFY(form.chkLock->isChecked());
    form.btnScanClick();

    QCOMPARE(silent.log().size(), std::size_t(2));
    QCOMPARE(silent.log()[0].baud, 38400);
    QCOMPARE(sim.payloads().front(), std::string("00AC"));
    QCOMPARE(sim.log().front().baud, 38400);
    QVERIFY(ControllerFound);
    QVERIFY(bench.settingsText().contains("\"ScanCommNo\"=dword:00000006"));
    QVERIFY(bench.settingsText().contains("\"ScanBaudRateNo\"=dword:00000007"));
    QCOMPARE(form.cmbBaudRate->currentIndex(), 7);
}

void ScanTest::findReplyOfWrongLengthIsNoFind() {
    SimBench bench;
    auto& sim = bench.addController(3, 5);
    sim.setBehaviour("AC", {sim::Fault::WrongLength});
    TfrmModule& form = bench.window();
    form.btnScanClick();

    QCOMPARE(toList(sim.payloads()), toList(Payloads{"00AC", "00AC"}));
    QVERIFY(!ControllerFound);
    QCOMPARE(bench.status(), QString("Controller Not Find"));
}

void ScanTest::silentSerialNumberStillIdentifies() {
    SimBench bench;
    auto& sim = bench.addController(3, 5);
    sim.setBehaviour("AS", {sim::Fault::Silent});
    TfrmModule& form = bench.window();
    const QString serialBefore = form.pnSN->text();
    form.btnScanClick();

    QVERIFY(ControllerFound);
    QCOMPARE(form.pnSN->text(), serialBefore);
    QCOMPARE(toList(sim.payloads()), toList(Payloads{"00AC", "01DB", "01AS", "01AB"}));
}

void ScanTest::modelReadFailingOnceOrTwice_data() {
    QTest::addColumn<int>("failures");
    QTest::addColumn<bool>("identified");
    QTest::newRow("once") << 1 << true;
    QTest::newRow("twice") << 2 << false;
}

void ScanTest::modelReadFailingOnceOrTwice() {
    QFETCH(int, failures);
    QFETCH(bool, identified);
    SimBench bench;
    auto& sim = bench.addController(3, 5);
    sim.setBehaviour("DB", {sim::Fault::Silent, 0, failures});
    bench.window().btnScanClick();

    QCOMPARE(ControllerFound, identified);
    if (identified) {
        QCOMPARE(toList(sim.payloads()), toList(Payloads{"00AC", "01DB", "01DB", "01AS", "01AB"}));
        QCOMPARE(bench.lamp(), clYellow);
    } else {
        QCOMPARE(toList(sim.payloads()), toList(Payloads{"00AC", "01DB", "01DB"}));
        QCOMPARE(bench.status(), QString("Get Controller Info Error. (COM : #3)"));
        QCOMPARE(bench.lamp(), clRed);
    }
}

void ScanTest::notFound() {
    SimBench bench;
    auto& sim = bench.addController(3, 2);
    sim.setBehaviour("AC", {sim::Fault::Silent});
    TfrmModule& form = bench.window();
    form.chkLock->setChecked(false);
    form.btnScanClick();

    QCOMPARE(sim.payloads().size(), std::size_t(24));   // two tries at each of twelve settings
    QVERIFY(!ControllerFound);
    QCOMPARE(bench.status(), QString("Controller Not Find"));
    QCOMPARE(form.cmbBaudRate->currentIndex(), 5);
    QCOMPARE(bench.lamp(), clRed);
    QCOMPARE(bench.tones(), (Tones{{300, 300}}));
    QVERIFY(bench.settingsText().isEmpty());
    QVERIFY(form.isEnabled());
    QVERIFY(!form.isBusy());
}

QX_GUI_TEST_MAIN(ScanTest)
#include "test_scan.moc"
