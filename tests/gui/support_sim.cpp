#include "support_sim.h"

#include <QLabel>
#include <QTimer>

#include "app/globals.h"
#include "app/shape.h"

SimBench::~SimBench() {
    window_.reset();
    controllers_.clear();
}

sim::SimController& SimBench::addController(int com, int setting, const std::string& id) {
    sim::Options options;
    options.configDir = home_.folder().toStdString();
    options.comNumber = com;
    options.controllerId = id;
    options.settingIndex = setting;
    controllers_.push_back(std::make_unique<sim::SimController>(options));
    if (!controllers_.back()->start()) qFatal("simulated controller did not start");
    return *controllers_.back();
}

TfrmModule& SimBench::window() {
    if (!window_) window_ = guitest::createWindow();
    return *window_;
}

void SimBench::scanAndForget() {
    window().btnScanClick();
    if (!ControllerFound) qFatal("the scan did not find the simulated controller");
    for (auto& controller : controllers_) controller->clearLog();
    clearTones();
}

QColor SimBench::lamp() const { return window_->shComm->brushColor(); }

QString SimBench::status() const { return window_->pnMsg->text(); }

void SimBench::whileRunning(const std::function<void()>& action, const std::function<void()>& tick) {
    QTimer timer;
    timer.setInterval(2);
    QObject::connect(&timer, &QTimer::timeout, tick);
    timer.start();
    action();
    timer.stop();
}

QStringList toList(const std::vector<std::string>& payloads) {
    QStringList list;
    for (const std::string& payload : payloads) list << QString::fromStdString(payload);
    return list;
}
