// DI/DO test and auto test against a simulated controller: the commands of a
// cycle, what the window shows, how a run is stopped and how it ends.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/colours.h"
#include "app/globals.h"
#include "app/shape.h"
#include "link/serial_port.h"
#include "support_sim.h"

using Payloads = std::vector<std::string>;

namespace {

std::size_t countOf(const Payloads& payloads, const std::string& payload) {
    return static_cast<std::size_t>(std::count(payloads.begin(), payloads.end(), payload));
}

// The window is fully usable again after a run.
void verifyIdleWindow(TfrmModule& form) {
    QVERIFY(form.isEnabled());
    QVERIFY(!form.isBusy());
    QVERIFY(!TestRunning);
    QVERIFY(CommHandle() == nullptr);
    for (QWidget* w : std::initializer_list<QWidget*>{form.btnScan, form.btnExit, form.btnFactory, form.btnSetDate,
                                                     form.btnAlarm, form.btnSetCard, form.gbDefault, form.btnEng,
                                                     form.btnGB, form.btnBIG5, form.btnDIDO, form.btnProcess,
                                                     form.btnBaudRate, form.cmbBaudRate})
        QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
    for (TShape* lamp : form.shDI) QCOMPARE(lamp->brushColor(), clWhite);
    for (QCheckBox* box : form.chkDO) QVERIFY(!box->isChecked());
}

}  // namespace

class ContinuousTest : public QObject {
    Q_OBJECT
private slots:
    void refusedBeforeScan();
    void portHeldElsewhere();
    void cycleSendsTickedOutputsInOrderAndShowsInputs();
    void untickedBoxSendsNothingFromTheNextCycle();
    void longPollShowsRecordAndAcknowledges();
    void stopByClick();
    void pollFailureAndPulledDevice_data();
    void pollFailureAndPulledDevice();
    void stopClickDuringFailingPollEndsAsStop();
    void clicksWhileEndingNeverStartASecondRun();
    void autoTestOrderWithStopDuringAlarmWait();
    void autoTestWithSilentController();
};

void ContinuousTest::refusedBeforeScan() {
    SimBench bench;
    auto& sim = bench.addController();
    TfrmModule& form = bench.window();
    const QString didoCaption = form.btnDIDO->text();
    const QString autoCaption = form.btnProcess->text();
    form.btnDIDOClick();
    form.btnProcessClick();

    QVERIFY(sim.payloads().empty());
    QCOMPARE(bench.status(), QString("Start Scan Controller!"));
    QCOMPARE(bench.tones(), (Tones{{300, 300}, {300, 300}}));
    QCOMPARE(form.btnDIDO->text(), didoCaption);
    QCOMPARE(form.btnProcess->text(), autoCaption);
}

void ContinuousTest::portHeldElsewhere() {
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    auto holder = PosixSerialPort::open(sim.linkPath(), "19200,e,8,1");
    QVERIFY(holder);
    TfrmModule& form = bench.window();
    form.btnDIDOClick();

    QCOMPARE(bench.status(), QString("Open COM : 3 Error"));
    QCOMPARE(bench.lamp(), clRed);
    QCOMPARE(bench.tones(), (Tones{{300, 300}}));
    QCOMPARE(form.btnDIDO->text(), QString("DI/DO"));
    QVERIFY(sim.payloads().empty());
    holder.reset();
    verifyIdleWindow(form);
}

void ContinuousTest::cycleSendsTickedOutputsInOrderAndShowsInputs() {
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    sim.setInputs("101x");
    TfrmModule& form = bench.window();
    form.chkDO[1]->setChecked(true);
    form.chkDO[3]->setChecked(true);

    QColor lamps[4];
    bool processDisabled = false, baudRateDisabled = false;
    QString caption;
    bool stopped = false;
    bench.whileRunning([&] { form.btnDIDOClick(); }, [&] {
        if (!stopped && countOf(sim.payloads(), "01PJ") >= 1 && form.pnDate->text().size() == 20) {
            for (int i = 0; i < 4; ++i) lamps[i] = form.shDI[i]->brushColor();
            processDisabled = !form.btnProcess->isEnabled();
            baudRateDisabled = !form.btnBaudRate->isEnabled() && !form.cmbBaudRate->isEnabled();
            caption = form.btnDIDO->text();
            stopped = true;
            QTest::mouseClick(form.btnDIDO, Qt::LeftButton);
        }
    });

    const Payloads sent = sim.payloads();
    QVERIFY(sent.size() >= 4);
    QCOMPARE(toList(Payloads(sent.begin(), sent.begin() + 3)), toList(Payloads{"01JC00210002", "01JC00410002", "01PJ"}));
    QCOMPARE(sent.back(), std::string("01JD"));
    QCOMPARE(lamps[0], clYellow);
    QCOMPARE(lamps[1], clWhite);
    QCOMPARE(lamps[2], clYellow);
    QCOMPARE(lamps[3], clWhite);
    QVERIFY(processDisabled);
    QVERIFY(baudRateDisabled);
    QCOMPARE(caption, QString("Cancel"));
    verifyIdleWindow(form);
}

void ContinuousTest::untickedBoxSendsNothingFromTheNextCycle() {
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    TfrmModule& form = bench.window();
    form.chkDO[0]->setChecked(true);
    std::size_t sentWhenUnticked = 0;
    bench.whileRunning([&] { form.btnDIDOClick(); }, [&] {
        const Payloads sent = sim.payloads();
        if (sentWhenUnticked == 0 && countOf(sent, "01PJ") == 1) {
            sentWhenUnticked = sent.size();
            form.chkDO[0]->setChecked(false);
        } else if (sentWhenUnticked > 0 && countOf(sent, "01PJ") == 3 && TestRunning) {
            QTest::mouseClick(form.btnDIDO, Qt::LeftButton);
        }
    });

    const Payloads sent = sim.payloads();
    QCOMPARE(toList(Payloads(sent.begin(), sent.begin() + 2)), toList(Payloads{"01JC00110002", "01PJ"}));
    QCOMPARE(countOf(Payloads(sent.begin() + static_cast<long>(sentWhenUnticked), sent.end()), "01JC00110002"),
             std::size_t(0));
    QVERIFY(countOf(sent, "01PJ") >= 3);
    verifyIdleWindow(form);
}

void ContinuousTest::longPollShowsRecordAndAcknowledges() {
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    sim.queuePollRecords({"A-20261211043534-1234-12345"});
    TfrmModule& form = bench.window();
    form.pnMsg->setText("before");
    QString record;
    bench.whileRunning([&] { form.btnDIDOClick(); }, [&] {
        if (record.isEmpty() && countOf(sim.payloads(), "01IB") == 1) {
            record = bench.status();
            QTest::mouseClick(form.btnDIDO, Qt::LeftButton);
        }
    });

    const Payloads sent = sim.payloads();
    QCOMPARE(toList(Payloads(sent.begin(), sent.begin() + 2)), toList(Payloads{"01PJ", "01IB"}));
    QCOMPARE(record, QString("A-20261211043534-1234-12345"));
    QCOMPARE(bench.status(), record);   // the ending leaves the status line alone
}

void ContinuousTest::stopByClick() {
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    TfrmModule& form = bench.window();
    form.pnMsg->setText("before");
    bool clicked = false;
    bench.whileRunning([&] { form.btnDIDOClick(); }, [&] {
        if (!clicked && countOf(sim.payloads(), "01PJ") >= 2) {
            clicked = true;
            QTest::mouseClick(form.btnDIDO, Qt::LeftButton);
        }
    });

    QCOMPARE(sim.payloads().back(), std::string("01JD"));
    QCOMPARE(countOf(sim.payloads(), "01JD"), std::size_t(1));
    QCOMPARE(bench.lamp(), clYellow);
    QCOMPARE(bench.tones(), (Tones{{1000, 300}}));
    QCOMPARE(bench.status(), QString("before"));
    QCOMPARE(form.btnDIDO->text(), QString("DI/DO"));
    verifyIdleWindow(form);
}

void ContinuousTest::pollFailureAndPulledDevice_data() {
    QTest::addColumn<bool>("pull");
    QTest::newRow("poll not answered") << false;
    QTest::newRow("device pulled") << true;
}

void ContinuousTest::pollFailureAndPulledDevice() {
    QFETCH(bool, pull);
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    TfrmModule& form = bench.window();
    form.chkDO[0]->setChecked(true);
    form.pnMsg->setText("before");
    bool done = false;
    bench.whileRunning([&] { form.btnDIDOClick(); }, [&] {
        if (!done && countOf(sim.payloads(), "01PJ") >= 1) {
            done = true;
            if (pull) sim.vanish();
            else sim.setBehaviour("PJ", {sim::Fault::Silent});
        }
    });

    QCOMPARE(bench.lamp(), clRed);
    QCOMPARE(bench.tones(), (Tones{{300, 300}}));
    QCOMPARE(bench.status(), QString("before"));
    verifyIdleWindow(form);
}

void ContinuousTest::stopClickDuringFailingPollEndsAsStop() {
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    sim.setBehaviour("PJ", {sim::Fault::Silent});
    TfrmModule& form = bench.window();
    bool clicked = false;
    bench.whileRunning([&] { form.btnDIDOClick(); }, [&] {
        if (!clicked && countOf(sim.payloads(), "01PJ") == 1) {
            clicked = true;
            QTest::mouseClick(form.btnDIDO, Qt::LeftButton);
        }
    });

    QCOMPARE(toList(sim.payloads()), toList(Payloads{"01PJ", "01JD"}));
    QCOMPARE(bench.lamp(), clYellow);
    QCOMPARE(bench.tones(), (Tones{{1000, 300}}));
    verifyIdleWindow(form);
}

void ContinuousTest::clicksWhileEndingNeverStartASecondRun() {
    // The ending's JD exchange pumps messages while the button still reads
    // "Cancel": further clicks then must not start a run inside the first.
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    sim.setBehaviour("JD", {sim::Fault::None, 150});
    TfrmModule& form = bench.window();
    int clicks = 0;
    bench.whileRunning([&] { form.btnDIDOClick(); }, [&] {
        // The first click stops the run; the later ones land while it ends.
        const bool firstStop = clicks == 0 && countOf(sim.payloads(), "01PJ") >= 1;
        const bool whileEnding = clicks >= 1 && clicks < 5 && !TestRunning && form.btnDIDO->text() == "Cancel";
        if (firstStop || whileEnding) {
            ++clicks;
            QTest::mouseClick(form.btnDIDO, Qt::LeftButton);
        }
    });

    QVERIFY(clicks > 1);
    QCOMPARE(countOf(sim.payloads(), "01JD"), std::size_t(1));
    QCOMPARE(sim.payloads().back(), std::string("01JD"));
    QCOMPARE(bench.tones(), (Tones{{1000, 300}}));
    verifyIdleWindow(form);
}

void ContinuousTest::autoTestOrderWithStopDuringAlarmWait() {
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    TfrmModule& form = bench.window();
    form.edCardID->setText("00001234");
    bool clicked = false, didoDisabled = false;
    QString caption;
    bench.whileRunning([&] { form.btnProcessClick(); }, [&] {
        if (!clicked && countOf(sim.payloads(), "01JF1") == 1) {
            clicked = true;
            didoDisabled = !form.btnDIDO->isEnabled();
            caption = form.btnProcess->text();
            QTest::mouseClick(form.btnProcess, Qt::LeftButton);
        }
    });

    Payloads sent = sim.payloads();
    QCOMPARE(sent.size(), std::size_t(11));
    QCOMPARE(sent[0], std::string("01AB"));
    QCOMPARE(sent[1].substr(0, 4), std::string("01AA"));
    QCOMPARE(toList(Payloads(sent.begin() + 2, sent.end())),
             toList(Payloads{"01AB", "01DCA11", "01HA00010000000000001234010XXXX0", "01JC00110005", "01JC00210005",
                       "01JF1", "01JF0", "01JD", "01JD"}));
    QVERIFY(didoDisabled);
    QCOMPARE(caption, QString("Cancel Auto Test"));
    QCOMPARE(bench.tones(), (Tones{{1000, 300}, {1000, 300}, {1000, 300}}));
    QCOMPARE(bench.lamp(), clYellow);
    QCOMPARE(form.btnProcess->text(), QString("Auto Test"));
    verifyIdleWindow(form);
}

void ContinuousTest::autoTestWithSilentController() {
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    for (const char* command : {"AB", "AA", "DCA11", "HA", "JC", "JF", "JD", "PJ"})
        sim.setBehaviour(command, {sim::Fault::Silent});
    TfrmModule& form = bench.window();
    form.btnProcessClick();

    QCOMPARE(bench.tones(), (Tones{{300, 300}, {300, 300}, {300, 300}}));
    QCOMPARE(bench.status(), QString("Add Reader and Card Error"));
    QCOMPARE(bench.lamp(), clRed);
    QCOMPARE(countOf(sim.payloads(), "01PJ"), std::size_t(1));
    verifyIdleWindow(form);
}

QX_GUI_TEST_MAIN(ContinuousTest)
#include "test_continuous.moc"
