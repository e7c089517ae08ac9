#pragma once
// A window wired to simulated controllers: its own configuration folder with a
// ports/ map, simulators on chosen COM numbers, the tones recorded instead of
// played, and helpers that act while a handler is running.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QColor>
#include <QStringList>
#include <QString>
#include <QTemporaryDir>

#include "app/frm_module.h"
#include "sim/sim_controller.h"

struct Tone {
    int hz;
    int ms;
    bool operator==(const Tone&) const = default;
};

class SimBench {
public:
    SimBench();
    ~SimBench();
    SimBench(const SimBench&) = delete;
    SimBench& operator=(const SimBench&) = delete;

    // A simulated controller linked as COM<com>, at line setting <setting>.
    sim::SimController& addController(int com = 3, int setting = 5, const std::string& id = "01");
    sim::SimController& controller(int i = 0) { return *controllers_.at(i); }

    // settings.reg with the given value lines (e.g. "\"ScanCommNo\"=dword:00000003").
    void writeSettings(const std::vector<std::string>& valueLines);
    QString settingsText() const;      // empty when there is no file
    QString configDir() const;

    // Creates and shows the window (start-up as the program does it).
    TfrmModule& window();
    // A scan that must find the controller; clears the log and the tones after it.
    void scanAndForget();

    std::vector<Tone> tones;
    QColor lamp() const;
    QString status() const;

    // Runs `tick` every few milliseconds while `action` runs (tick sees the
    // window inside the handler's message pumping); returns when action returns.
    void whileRunning(const std::function<void()>& action, const std::function<void()>& tick);

private:
    QTemporaryDir dir_;
    std::vector<std::unique_ptr<sim::SimController>> controllers_;
    std::unique_ptr<TfrmModule> window_;
};

// Payloads as a list that a failed comparison prints in full.
QStringList toList(const std::vector<std::string>& payloads);
