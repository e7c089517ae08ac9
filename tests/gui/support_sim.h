#pragma once
// A window wired to simulated controllers: a configuration home with a ports/
// map, simulators on chosen COM numbers, the tones recorded instead of played,
// and a helper that acts while a handler is running.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QColor>
#include <QString>
#include <QStringList>

#include "sim/sim_controller.h"
#include "support.h"

using Tones = std::vector<std::pair<int, int>>;   // (Hz, ms)

class SimBench {
public:
    SimBench() = default;
    ~SimBench();
    SimBench(const SimBench&) = delete;
    SimBench& operator=(const SimBench&) = delete;

    // A simulated controller linked as COM<com>, at line setting <setting>.
    sim::SimController& addController(int com = 3, int setting = 5, const std::string& id = "01");

    // settings.reg with the given value lines (e.g. "\"ScanCommNo\"=dword:00000003").
    void writeSettings(const QStringList& valueLines) { home_.writeValues(valueLines); }
    QString settingsText() const { return QString::fromUtf8(home_.settings()); }
    QString configDir() const { return home_.folder(); }

    // Creates and shows the window as the program does at start-up.
    TfrmModule& window();
    // A scan that must find the controller; clears the logs and the tones after it.
    void scanAndForget();

    const Tones& tones() const { return beeps_.tones; }
    void clearTones() { beeps_.tones.clear(); }
    QColor lamp() const;
    QString status() const;

    // Runs `tick` every few milliseconds while `action` runs (tick sees the
    // window inside the handler's message pumping); returns when action returns.
    static void whileRunning(const std::function<void()>& action, const std::function<void()>& tick);

private:
    guitest::ConfigHome home_;
    guitest::BeepRecorder beeps_;
    std::vector<std::unique_ptr<sim::SimController>> controllers_;
    guitest::Window window_;
};

// Payloads as a list that a failed comparison prints in full.
QStringList toList(const std::vector<std::string>& payloads);
