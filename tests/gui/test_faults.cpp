// Faults from outside: devices that vanish at every stage, a port held by
// another process, reply floods, odd typed texts, a save cut off by a kill.
// Every case ends with the window fully usable and nothing lost.
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/colours.h"
#include "app/globals.h"
#include "app/settings_store.h"
#include "link/serial_port.h"
#include "support_sim.h"

using Payloads = std::vector<std::string>;
using Handler = void (TfrmModule::*)();
Q_DECLARE_METATYPE(Handler)

namespace {

void verifyUsable(TfrmModule& form) {
    QVERIFY(form.isEnabled());
    QVERIFY(!form.isBusy());
    QVERIFY(!TestRunning);
    QVERIFY(CommHandle() == nullptr);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(form.btnScan->isEnabled());
    QVERIFY(form.btnExit->isEnabled());
}

// A child process that holds a device open (as another program would) until
// it is killed.
class PortHolder {
public:
    explicit PortHolder(const std::string& device) {
        int ready[2];
        if (pipe(ready) != 0) qFatal("pipe");
        pid_ = fork();
        if (pid_ == 0) {
            auto port = PosixSerialPort::open(device, "19200,e,8,1");
            const char ok = port ? '1' : '0';
            (void)!write(ready[1], &ok, 1);
            for (;;) pause();
        }
        char ok = '0';
        (void)!read(ready[0], &ok, 1);
        close(ready[0]);
        close(ready[1]);
        holding_ = ok == '1';
    }
    ~PortHolder() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    bool holding() const { return holding_; }

private:
    pid_t pid_ = -1;
    bool holding_ = false;
};

}  // namespace

class FaultsTest : public QObject {
    Q_OBJECT
private slots:
    void deviceVanishesDuringIdentification();
    void deviceVanishesDuringOperation_data();
    void deviceVanishesDuringOperation();
    void deviceVanishesInTheMiddleOfAReply();
    void portHeldByAnotherProcess_data();
    void portHeldByAnotherProcess();
    void replyFloodWithoutCr();
    void typedTextsOfEveryKind_data();
    void typedTextsOfEveryKind();
    void killDuringSaveLeavesOldOrNew();
    void damagedSettingsFile_data();
    void damagedSettingsFile();
    void missingConfigurationFolder();
};

void FaultsTest::deviceVanishesDuringIdentification() {
    SimBench bench;
    auto& sim = bench.addController();
    sim.setBehaviour("AS", {sim::Fault::Vanish});
    TfrmModule& form = bench.window();
    form.btnScanClick();

    QVERIFY(!ControllerFound);
    QCOMPARE(bench.status(), QString("Get Controller Info Error. (COM : #3)"));
    QCOMPARE(bench.lamp(), clRed);
    verifyUsable(form);
}

void FaultsTest::deviceVanishesDuringOperation_data() {
    QTest::addColumn<Handler>("handler");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("error");
    QTest::newRow("set date") << &TfrmModule::btnSetDateClick << "AA" << "Set Date Time Error";
    QTest::newRow("card") << &TfrmModule::btnSetCardClick << "DCA11" << "Add Reader and Card Error";
    QTest::newRow("factory") << &TfrmModule::btnFactoryClick << "IH" << "Set Factory Default Error";
    QTest::newRow("console") << &TfrmModule::btnCommandClick << "AC" << "Test Command Error!";
}

void FaultsTest::deviceVanishesDuringOperation() {
    QFETCH(Handler, handler);
    QFETCH(QString, command);
    QFETCH(QString, error);
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    sim.setBehaviour(command.toStdString(), {sim::Fault::Vanish});
    TfrmModule& form = bench.window();
    (form.*handler)();
    QCOMPARE(bench.status(), error);
    QCOMPARE(bench.lamp(), clRed);
    verifyUsable(form);

    // The port is gone now: the next press fails at once, cleanly.
    form.btnSetDateClick();
    QCOMPARE(bench.status(), QString("Set Date Time Error"));
    verifyUsable(form);
}

void FaultsTest::deviceVanishesInTheMiddleOfAReply() {
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    sim.setBehaviour("AB", {sim::Fault::VanishMidReply});
    TfrmModule& form = bench.window();
    form.btnAlarmClick();
    QCOMPARE(bench.status(), QString("Set Controller Alarm Test Error"));
    verifyUsable(form);
}

void FaultsTest::portHeldByAnotherProcess_data() {
    QTest::addColumn<Handler>("handler");
    QTest::addColumn<QString>("error");
    QTest::newRow("scan") << &TfrmModule::btnScanClick << "Controller Not Find";
    QTest::newRow("set date") << &TfrmModule::btnSetDateClick << "Set Date Time Error";
    QTest::newRow("alarm") << &TfrmModule::btnAlarmClick << "Set Controller Alarm Test Error";
    QTest::newRow("card") << &TfrmModule::btnSetCardClick << "Add Reader and Card Error";
    QTest::newRow("factory") << &TfrmModule::btnFactoryClick << "Set Factory Default Error";
    QTest::newRow("baud rate") << &TfrmModule::btnBaudRateClick << "Set Module BaudRate Error";
    QTest::newRow("console") << &TfrmModule::btnCommandClick << "Test Command Error!";
    QTest::newRow("DI/DO") << &TfrmModule::btnDIDOClick << "Open COM : 3 Error";
    QTest::newRow("auto test") << &TfrmModule::btnProcessClick << "Open COM : 3 Error";
}

void FaultsTest::portHeldByAnotherProcess() {
    QFETCH(Handler, handler);
    QFETCH(QString, error);
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    PortHolder holder(sim.linkPath());
    QVERIFY(holder.holding());
    TfrmModule& form = bench.window();
    (form.*handler)();

    QVERIFY(sim.payloads().empty());
    QCOMPARE(bench.status(), error);
    QCOMPARE(bench.lamp(), clRed);
    verifyUsable(form);
}

void FaultsTest::replyFloodWithoutCr() {
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    sim.setBehaviour("AB", {sim::Fault::Flood});
    TfrmModule& form = bench.window();
    form.btnSetDateClick();
    QCOMPARE(bench.status(), QString("Set Date Time Error"));
    verifyUsable(form);

    // The rest of the flood is gone by the next press, which works again.
    sim.clearBehaviours();
    QTRY_VERIFY_WITH_TIMEOUT((form.btnSetDateClick(), bench.status() == "Set Date Time Ok"), 30000);
}

void FaultsTest::typedTextsOfEveryKind_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("blanks") << "  1 2  ";
    QTest::newRow("punctuation") << "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";
    QTest::newRow("letters") << "abcXYZ";
    QTest::newRow("Latin-1") << QString::fromUtf8("ÄÖÜßéñ");
    QTest::newRow("Chinese") << QString::fromUtf8("測試卡片");
    QTest::newRow("outside the BMP") << QString::fromUtf8("\xF0\x9F\x94\x91");
    QTest::newRow("tab and DEL") << QString("a\tb\x7f");
    QTest::newRow("frame bytes") << QString("\x01\x02\x03\x04\r");
    QTest::newRow("line break") << QString("12\n34");
}

void FaultsTest::typedTextsOfEveryKind() {
    QFETCH(QString, text);
    SimBench bench;
    auto& sim = bench.addController();
    bench.scanAndForget();
    TfrmModule& form = bench.window();

    form.edCardID->setText(text);
    form.btnSetCardClick();
    verifyUsable(form);
    form.edCommand->setText(text);
    form.btnCommandClick();
    verifyUsable(form);

    // Whatever the edit kept went out byte for byte, unless it broke the frame.
    const QByteArray card = form.edCardID->text().toUtf8();
    const QByteArray command = form.edCommand->text().toUtf8();
    const bool framable = !card.contains('\x02') && !card.contains('\r') && !command.contains('\x02') &&
                          !command.contains('\r');
    if (framable) {
        const Payloads sent = sim.payloads();
        QVERIFY(std::find(sent.begin(), sent.end(), "01HA000100000000" + card.toStdString() + "010XXXX0") !=
                sent.end());
        QVERIFY(std::find(sent.begin(), sent.end(), "01" + command.toStdString()) != sent.end());
    }

    // The card ID survives a restart exactly as it stood in the edit, and the
    // other settings with it.
    const QString kept = form.edCardID->text();
    loadSettings(bench.configDir().toStdString());
    QCOMPARE(QString::fromStdString(ScanCardID), kept);
    QCOMPARE(ScanCommNo, 3);
}

void FaultsTest::killDuringSaveLeavesOldOrNew() {
    SimBench bench;
    const std::string folder = bench.configDir().toStdString();
    ScanCardID = "11111111";
    saveCardID(folder);
    for (int round = 0; round < 30; ++round) {
        const pid_t child = fork();
        if (child == 0) {
            for (int i = 0;; ++i) {
                ScanCardID = (i % 2) ? "11111111" : "22222222";
                saveCardID(folder);
            }
        }
        usleep(static_cast<useconds_t>(1000 + (round * 7919) % 20000));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);

        ScanCardID.clear();
        loadSettings(folder);
        QVERIFY2(ScanCardID == "11111111" || ScanCardID == "22222222", qPrintable(bench.settingsText()));
    }
}

void FaultsTest::damagedSettingsFile_data() {
    QTest::addColumn<QByteArray>("content");
    const QByteArray whole =
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\VELDO\\QX530RM2Config]\n\"ScanCommNo\"=dword:00000004\n"
        "\"ScanCardID\"=\"12345678\"\n";
    QTest::newRow("truncated") << whole.left(whole.size() - 6);
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i) binary[i] = char((i * 131 + 7) % 256);
    QTest::newRow("binary") << binary;
    QTest::newRow("enormous") << whole + QByteArray(qsizetype(64) * 1024 * 1024, 'x');
}

void FaultsTest::damagedSettingsFile() {
    QFETCH(QByteArray, content);
    guitest::ConfigHome home;
    home.writeSettings(content);
    guitest::BeepRecorder beeps;
    auto form = guitest::createWindow();

    // Unreadable as settings: the defaults, and the file itself kept aside at
    // the first save instead of being overwritten.
    QCOMPARE(ScanCommNo, 0);
    QCOMPARE(form->edCardID->text(), QString("00000000"));
    form->edCardID->setText("87654321");
    QCOMPARE(home.storedText("ScanCardID"), QString("87654321"));
    QFile kept(home.settingsPath() + ".bad");
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), content);
    QVERIFY(form->isEnabled());
}

void FaultsTest::missingConfigurationFolder() {
    guitest::ConfigHome home;
    QVERIFY(QDir(home.folder()).removeRecursively());
    guitest::BeepRecorder beeps;
    auto form = guitest::createWindow();
    QCOMPARE(form->cmbBaudRate->currentText(), QString("19200,e,8,1"));
    form->btnBIG5Click();
    QCOMPARE(home.storedText("LanguageFlag"), QString("ChineseBIG5"));
}

QX_GUI_TEST_MAIN(FaultsTest)
#include "test_faults.moc"
