#include "support_sim.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include "app/beep.h"
#include "app/globals.h"
#include "app/shape.h"

namespace {

QString programFolder(const QString& base) { return base + "/VELDO/QX530RM2Config"; }

}  // namespace

SimBench::SimBench() {
    qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
    QDir().mkpath(programFolder(dir_.path()) + "/ports");
    setBeepSink([this](int hz, int ms) { tones.push_back({hz, ms}); });
}

SimBench::~SimBench() {
    window_.reset();
    frmModule = nullptr;
    controllers_.clear();
    setBeepSink({});
}

sim::SimController& SimBench::addController(int com, int setting, const std::string& id) {
    sim::Options options;
    options.configDir = programFolder(dir_.path()).toStdString();
    options.comNumber = com;
    options.controllerId = id;
    options.settingIndex = setting;
    controllers_.push_back(std::make_unique<sim::SimController>(options));
    if (!controllers_.back()->start()) qFatal("simulated controller did not start");
    return *controllers_.back();
}

void SimBench::writeSettings(const std::vector<std::string>& valueLines) {
    QFile file(programFolder(dir_.path()) + "/settings.reg");
    if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write settings");
    file.write("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\VELDO\\QX530RM2Config]\r\n");
    for (const std::string& line : valueLines) file.write((line + "\r\n").c_str());
}

QString SimBench::settingsText() const {
    QFile file(programFolder(dir_.path()) + "/settings.reg");
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString SimBench::configDir() const { return programFolder(dir_.path()); }

TfrmModule& SimBench::window() {
    if (!window_) {
        window_ = std::make_unique<TfrmModule>();
        frmModule = window_.get();
        window_->show();
        if (!QTest::qWaitForWindowExposed(window_.get())) qFatal("window not shown");
    }
    return *window_;
}

void SimBench::scanAndForget() {
    TfrmModule& form = window();
    form.btnScanClick();
    if (!ControllerFound) qFatal("the scan did not find the simulated controller");
    for (auto& c : controllers_) c->clearLog();
    tones.clear();
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
