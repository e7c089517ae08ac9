// The settings file: what a start-up reads from each kind of stored file, when
// each value is stored, and that a save neither mixes nor loses files.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <atomic>
#include <thread>

#include "app/globals.h"
#include "app/settings_store.h"
#include "i18n/catalogue.h"
#include "support.h"

using namespace guitest;

Q_DECLARE_METATYPE(std::optional<QByteArray>)

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void startUpLoads_data();
    void startUpLoads();
    void parser_data();
    void parser();
    void languageButtonStoresAndSurvivesRestart();
    void everyEditChangeStoresCardID_data();
    void everyEditChangeStoresCardID();
    void scanSettingsKeepOtherValues();
    void unparsableFileKeptAsBadOnFirstSave();
    void plainFileWhereFolderShouldBe();
    void replaceIsAtomic();
};

namespace {

const char* const Header = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\VELDO\\QX530RM2Config]\n";

QByteArray stored(std::initializer_list<const char*> lines) {
    QByteArray text = Header;
    for (const char* line : lines) text += QByteArray(line) + "\n";
    return text;
}

} // namespace

void SettingsTest::startUpLoads_data() {
    QTest::addColumn<std::optional<QByteArray>>("file");
    QTest::addColumn<int>("commNo");
    QTest::addColumn<int>("baudRateNo");
    QTest::addColumn<QString>("baudRate");
    QTest::addColumn<QString>("cardID");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<int>("language");

    const std::optional<QByteArray> none;
    QTest::newRow("no file") << none << 0 << 5 << "19200,e,8,1" << "00000000" << "English" << 0;
    QTest::newRow("only the card ID")
        << std::optional(stored({R"("ScanCardID"="12345678")"})) << 0 << 5 << "19200,e,8,1" << "12345678"
        << "English" << 0;
    QTest::newRow("all five")
        << std::optional(stored({R"("ScanCommNo"=dword:00000003)", R"("ScanBaudRateNo"=dword:00000009)",
                                 R"("ScanBaudRate"="57600,e,8,1")", R"("ScanCardID"="00001234")",
                                 R"("LanguageFlag"="ChineseBIG5")"}))
        << 3 << 9 << "57600,e,8,1" << "00001234" << "ChineseBIG5" << 2;
    QTest::newRow("ScanCommNo stored as text stops the load")
        << std::optional(stored({R"("ScanCommNo"="3")", R"("ScanBaudRateNo"=dword:00000009)",
                                 R"("ScanBaudRate"="57600,e,8,1")", R"("ScanCardID"="00001234")",
                                 R"("LanguageFlag"="ChineseGB")"}))
        << 0 << 5 << "19200,e,8,1" << "00000000" << "English" << 0;
    QTest::newRow("ScanBaudRateNo stored as text: earlier values kept")
        << std::optional(stored({R"("LanguageFlag"="ChineseGB")", R"("ScanCardID"="55")",
                                 R"("ScanBaudRateNo"="2")", R"("ScanBaudRate"="9600,n,8,1")",
                                 R"("ScanCommNo"=dword:00000004)"}))
        << 4 << 5 << "9600,n,8,1" << "00000000" << "English" << 0;
    QTest::newRow("simplified Chinese")
        << std::optional(stored({R"("LanguageFlag"="ChineseGB")"})) << 0 << 5 << "19200,e,8,1" << "00000000"
        << "ChineseGB" << 1;
    QTest::newRow("language in other letter case kept as read")
        << std::optional(stored({R"("LanguageFlag"="chinesebig5")"})) << 0 << 5 << "19200,e,8,1"
        << "00000000" << "chinesebig5" << 0;
    QTest::newRow("language with a trailing blank")
        << std::optional(stored({R"("LanguageFlag"="ChineseGB ")"})) << 0 << 5 << "19200,e,8,1"
        << "00000000" << "ChineseGB " << 0;
    QTest::newRow("line-setting index past the list")
        << std::optional(stored({R"("ScanBaudRateNo"=dword:0000000c)", R"("ScanBaudRate"="115200,e,8,1")"}))
        << 0 << 5 << "19200,e,8,1" << "00000000" << "English" << 0;
    QTest::newRow("negative line-setting index")
        << std::optional(stored({R"("ScanBaudRateNo"=dword:ffffffff)", R"("ScanCommNo"=dword:00000002)"}))
        << 2 << 5 << "19200,e,8,1" << "00000000" << "English" << 0;
    QTest::newRow("unparsable file")
        << std::optional(QByteArray("[HKEY_LOCAL_MACHINE\\Software\\VELDO\\QX530RM2Config]\n\"ScanCommNo\"=dword:3\n"))
        << 0 << 5 << "19200,e,8,1" << "00000000" << "English" << 0;
    QTest::newRow("another key only")
        << std::optional(QByteArray("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Other]\n\"ScanCommNo\"=dword:3\n"))
        << 0 << 5 << "19200,e,8,1" << "00000000" << "English" << 0;
    QTest::newRow("CRLF, comments, other name case, escapes")
        << std::optional(QByteArray("REGEDIT4\r\n; kept by hand\r\n\r\n"
                                    "[hkey_local_machine\\software\\veldo\\qx530rm2config]\r\n"
                                    "\"scancommno\"=dword:0000000A\r\n\"ScanCardID\"=\"a\\\"b\\\\c\"\r\n"))
        << 10 << 5 << "19200,e,8,1" << "a\"b\\c" << "English" << 0;
}

void SettingsTest::startUpLoads() {
    QFETCH(std::optional<QByteArray>, file);
    QFETCH(int, commNo);
    QFETCH(int, baudRateNo);
    QFETCH(QString, baudRate);
    QFETCH(QString, cardID);
    QFETCH(QString, flag);
    QFETCH(int, language);
    ConfigHome home;
    if (file) home.writeSettings(*file);
    // Values left behind by an earlier window must not leak into this one.
    ScanCommNo = 99;
    ScanBaudRateNo = 11;
    LanguageNo = 2;

    Window w = createWindow();
    QCOMPARE(ScanCommNo, commNo);
    QCOMPARE(ScanBaudRateNo, baudRateNo);
    QCOMPARE(QString::fromStdString(ScanBaudRate), baudRate);
    QCOMPARE(QString::fromStdString(ScanCardID), cardID);
    QCOMPARE(QString::fromStdString(LanguageFlag), flag);
    QCOMPARE(LanguageNo, language);
    QCOMPARE(w->cmbBaudRate->currentIndex(), baudRateNo);
    QCOMPARE(w->edCardID->text(), cardID);
    QCOMPARE(w->windowTitle(), catalogueText(1, language));
    if (!file) QVERIFY(!home.settingsExist());
    else QCOMPARE(home.settings(), *file);   // start-up writes nothing back
    QVERIFY(!QFile::exists(home.settingsPath() + ".bad"));
}

void SettingsTest::parser_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("parses");
    QTest::addColumn<QString>("card");   // ScanCardID as read, when it parses

    const QByteArray key = "[HKEY_LOCAL_MACHINE\\Software\\VELDO\\QX530RM2Config]\n";
    QTest::newRow("escapes") << "REGEDIT4\n" + key + "\"ScanCardID\"=\"\\\\\\\"x\"\n" << true << "\\\"x";
    QTest::newRow("empty text") << "REGEDIT4\n" + key + "\"ScanCardID\"=\"\"\n" << true << "";
    QTest::newRow("UTF-8 mark and blanks") << "\xEF\xBB\xBFREGEDIT4  \n\n" + key + "  \"ScanCardID\" = \"7\"\n"
                                           << true << "7";
    QTest::newRow("later duplicate wins")
        << "REGEDIT4\n" + key + "\"ScanCardID\"=\"1\"\n\"SCANCARDID\"=\"2\"\n" << true << "2";
    QTest::newRow("key given twice merges")
        << "REGEDIT4\n" + key + "\"ScanCardID\"=\"1\"\n[x]\n\"a\"=\"b\"\n" + key + "\"Other\"=\"2\"\n" << true << "1";
    QTest::newRow("Chinese text") << "REGEDIT4\n" + key + "\"ScanCardID\"=\"測試\"\n" << true << "測試";
    QTest::newRow("line break inside a text") << "REGEDIT4\n" + key + "\"ScanCardID\"=\"12\n34\"\n" << true << "12\n34";
    QTest::newRow("comment with an odd quote") << "REGEDIT4\n; \"\n" + key + "\"ScanCardID\"=\"5\"\n" << true << "5";
    QTest::newRow("quote in a key path") << QByteArray("REGEDIT4\n[a\"b]\n") + key + "\"ScanCardID\"=\"1\"\n" << true << "1";
    QTest::newRow("no header") << key + "\"ScanCardID\"=\"1\"\n" << false << "";
    QTest::newRow("empty file") << QByteArray() << false << "";
    QTest::newRow("value before any key") << "REGEDIT4\n\"ScanCardID\"=\"1\"\n" + key << false << "";
    QTest::newRow("unterminated text") << "REGEDIT4\n" + key + "\"ScanCardID\"=\"1\n" << false << "";
    QTest::newRow("unknown escape") << "REGEDIT4\n" + key + "\"ScanCardID\"=\"\\n\"\n" << false << "";
    QTest::newRow("text after the value") << "REGEDIT4\n" + key + "\"ScanCardID\"=\"1\"x\n" << false << "";
    QTest::newRow("nine hex digits") << "REGEDIT4\n" + key + "\"ScanCommNo\"=dword:000000001\n" << false << "";
    QTest::newRow("not hex") << "REGEDIT4\n" + key + "\"ScanCommNo\"=dword:0000000g\n" << false << "";
    QTest::newRow("binary value") << "REGEDIT4\n" + key + "\"ScanCommNo\"=hex:01,02\n" << false << "";
    QTest::newRow("unnamed line") << "REGEDIT4\n" + key + "ScanCommNo=dword:1\n" << false << "";
    QTest::newRow("broken key line") << QByteArray("REGEDIT4\n[HKEY_LOCAL_MACHINE\n") << false << "";
}

void SettingsTest::parser() {
    QFETCH(QByteArray, text);
    QFETCH(bool, parses);
    QFETCH(QString, card);
    const auto file = regfile::parse(std::string_view(text.constData(), size_t(text.size())));
    QCOMPARE(file.has_value(), parses);
    if (!file) return;
    // What is written reads back the same.
    QCOMPARE(regfile::parse(regfile::serialize(*file)), file);

    ConfigHome home;
    home.writeSettings(text);
    SettingsKey settingsKey(home.folder().toStdString());
    QVERIFY(settingsKey.open());
    QCOMPARE(QString::fromStdString(settingsKey.readString("ScanCardID")), card);
    // Types are kept: reading a text as a number fails, and so does a missing value.
    QVERIFY_THROWS_EXCEPTION(SettingsError, settingsKey.readInteger("ScanCardID"));
    QVERIFY_THROWS_EXCEPTION(SettingsError, settingsKey.readString("Missing"));
}

void SettingsTest::languageButtonStoresAndSurvivesRestart() {
    ConfigHome home;
    home.writeSettings(stored({R"("ScanCommNo"=dword:00000003)", R"("Other"="kept \"as\" is")"}));
    {
        Window w = createWindow();
        w->btnBIG5->click();
    }
    QCOMPARE(home.storedText("LanguageFlag"), QString("ChineseBIG5"));
    QCOMPARE(home.storedInteger("ScanCommNo"), std::optional<int>(3));
    QCOMPARE(home.storedText("Other"), QString("kept \"as\" is"));

    Window again = createWindow();
    QCOMPARE(LanguageNo, 2);
    QCOMPARE(again->windowTitle(), QString("VELDO QX530RM-V3 控制器設定程式 V3.20-01"));
    QCOMPARE(again->pnMsg->text(), QString("請先掃描控制器!"));
}

void SettingsTest::everyEditChangeStoresCardID_data() {
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("typed");        // empty: the program writes the text instead
    QTest::addColumn<QString>("expected");
    QTest::newRow("typing into the card ID") << "edCardID" << "4321" << "4321";
    QTest::newRow("typing into the command") << "edCommand" << "C" << "87654321";
    QTest::newRow("the reply written into its field") << "edRecCommand" << "" << "87654321";
}

void SettingsTest::everyEditChangeStoresCardID() {
    QFETCH(QString, edit);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    ConfigHome home;
    home.writeSettings(stored({R"("ScanCardID"="87654321")"}));
    Window w = createWindow();
    QFile::remove(home.settingsPath());

    auto* field = w->findChild<QLineEdit*>(edit);
    QVERIFY(field);
    if (typed.isEmpty()) {
        field->setText("\x03" "01AB\x04");
    } else {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, typed);
    }
    QCOMPARE(home.storedText("ScanCardID"), expected);
    QCOMPARE(QString::fromStdString(ScanCardID), expected);
    QCOMPARE(w->edCardID->text(), expected);
}

void SettingsTest::scanSettingsKeepOtherValues() {
    ConfigHome home;
    home.writeSettings(stored({R"("ScanCardID"="11112222")", R"("LanguageFlag"="ChineseGB")",
                               R"("ScanCommNo"=dword:00000001)"}));
    Window w = createWindow();
    ScanCommNo = 16;
    ScanBaudRateNo = 10;
    ScanBaudRate = "115200,n,8,1";
    w->SaveScanSettings();
    QCOMPARE(home.storedInteger("ScanCommNo"), std::optional<int>(16));
    QCOMPARE(home.storedInteger("ScanBaudRateNo"), std::optional<int>(10));
    QCOMPARE(home.storedText("ScanBaudRate"), QString("115200,n,8,1"));
    QCOMPARE(home.storedText("ScanCardID"), QString("11112222"));
    QCOMPARE(home.storedText("LanguageFlag"), QString("ChineseGB"));
}

void SettingsTest::unparsableFileKeptAsBadOnFirstSave() {
    ConfigHome home;
    const QByteArray broken = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\VELDO\\QX530RM2Config]\n\"ScanCardID\"=\"1";
    home.writeSettings(broken);
    Window w = createWindow();
    QCOMPARE(home.settings(), broken);   // the load touches nothing

    w->btnGB->click();
    QFile bad(home.settingsPath() + ".bad");
    QVERIFY(bad.open(QIODevice::ReadOnly));
    QCOMPARE(bad.readAll(), broken);
    QCOMPARE(home.storedText("LanguageFlag"), QString("ChineseGB"));
    QVERIFY(!home.storedText("ScanCardID").size());

    // Later saves leave the kept file alone.
    w->btnEng->click();
    bad.seek(0);
    QCOMPARE(bad.readAll(), broken);
}

void SettingsTest::plainFileWhereFolderShouldBe() {
    ConfigHome home;
    QDir(home.home() + "/VELDO").removeRecursively();
    QFile plain(home.home() + "/VELDO");
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.write("not a folder");
    plain.close();

    Window w = createWindow();
    w->btnBIG5->click();
    w->edCardID->setText("5");
    w->SaveScanSettings();
    // Nothing was written, nothing was shown, the language still changed.
    QCOMPARE(LanguageNo, 2);
    QCOMPARE(w->pnMsg->text(), QString("請先掃描控制器!"));
    QCOMPARE(QDir(home.home()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"VELDO"});
    QVERIFY(plain.open(QIODevice::ReadOnly));
    QCOMPARE(plain.readAll(), QByteArray("not a folder"));
}

void SettingsTest::replaceIsAtomic() {
    ConfigHome home;
    const std::string folder = home.folder().toStdString();
    // Two versions of different lengths, so that a torn or mixed file shows.
    auto version = [&](char fill, std::size_t length) {
        SettingsKey key(folder);
        key.openOrCreate();
        key.writeString("ScanCardID", std::string(length, fill));
        return key;
    };
    SettingsKey first = version('a', 6000), second = version('b', 2500);
    QVERIFY(first.commit());
    const QByteArray textA = home.settings();
    QVERIFY(second.commit());
    const QByteArray textB = home.settings();
    QVERIFY(textA != textB);

    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 300; ++i) (i % 2 ? first : second).commit();
        done = true;
    });
    int reads = 0, mixed = 0;
    while (!done) {
        const QByteArray seen = home.settings();
        ++reads;
        if (seen != textA && seen != textB) ++mixed;
    }
    writer.join();
    QCOMPARE(mixed, 0);
    QVERIFY(reads > 0);
    // No temporary file is left behind.
    QCOMPARE(QDir(home.folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"settings.reg"});
}

QX_GUI_TEST_MAIN(SettingsTest)
#include "test_settings.moc"
