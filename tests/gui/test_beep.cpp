// The tone behind Beep: its samples have the asked frequency and length, and a
// call without a sink returns on a machine with or without a sound device.
#include <QTest>

#include <algorithm>
#include <cstdlib>

#include "app/beep.h"
#include "support.h"

class BeepTest : public QObject {
    Q_OBJECT
private slots:
    void toneSamples_data();
    void toneSamples();
    void sinkReceivesTones();
    void realDeviceOrSilentWaitReturns();
};

void BeepTest::toneSamples_data() {
    QTest::addColumn<int>("hz");
    QTest::addColumn<int>("ms");
    QTest::addColumn<int>("rate");
    QTest::newRow("high beep") << HighBeepHz << BeepMs << 48000;
    QTest::newRow("low beep") << LowBeepHz << BeepMs << 44100;
    QTest::newRow("short, coarse rate") << 440 << 25 << 8000;
    QTest::newRow("one second") << 50 << 1000 << 48000;
}

void BeepTest::toneSamples() {
    QFETCH(int, hz);
    QFETCH(int, ms);
    QFETCH(int, rate);
    const std::vector<int16_t> samples = sineTone(hz, ms, rate);
    QCOMPARE(int(samples.size()), rate * ms / 1000);

    // A sine of f Hz crosses zero 2 f times a second.
    int crossings = 0;
    for (std::size_t i = 1; i < samples.size(); ++i)
        if ((samples[i - 1] < 0) != (samples[i] < 0)) ++crossings;
    const int expected = 2 * hz * ms / 1000;
    QVERIFY2(std::abs(crossings - expected) <= 2,
             qPrintable(QString("%1 zero crossings, expected %2").arg(crossings).arg(expected)));

    // Clearly audible and never clipped.
    const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
    QVERIFY(*high > 8000 && *high < 32767);
    QVERIFY(*low < -8000 && *low > -32767);
}

void BeepTest::sinkReceivesTones() {
    guitest::BeepRecorder recorder;
    Beep(HighBeepHz, BeepMs);
    Beep(LowBeepHz, BeepMs);
    QCOMPARE(recorder.tones, (std::vector<std::pair<int, int>>{{1000, 300}, {300, 300}}));
}

void BeepTest::realDeviceOrSilentWaitReturns() {
    setBeepSink({});
    Beep(HighBeepHz, 40);
    Beep(LowBeepHz, 40);
}

QX_GUI_TEST_MAIN(BeepTest)
#include "test_beep.moc"
