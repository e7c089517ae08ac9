#include "support.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "app/application.h"
#include "app/beep.h"
#include "app/look.h"
#include "app/settings_store.h"

namespace guitest {

ConfigHome::ConfigHome() {
    hadPrevious_ = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    previous_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
    QDir().mkpath(folder() + "/ports");
}

ConfigHome::~ConfigHome() {
    if (hadPrevious_) qputenv("XDG_CONFIG_HOME", previous_);
    else qunsetenv("XDG_CONFIG_HOME");
}

QString ConfigHome::folder() const { return dir_.path() + "/VELDO/QX530RM2Config"; }

void ConfigHome::writeSettings(const QByteArray& text) const {
    QFile file(settingsPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write settings.reg");
    file.write(text);
}

void ConfigHome::writeValues(const QStringList& valueLines) const {
    QByteArray text = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\VELDO\\QX530RM2Config]\n";
    for (const QString& line : valueLines) text += line.toUtf8() + "\n";
    writeSettings(text);
}

QByteArray ConfigHome::settings() const {
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool ConfigHome::settingsExist() const { return QFile::exists(settingsPath()); }

QString ConfigHome::storedText(const char* name) const {
    SettingsKey key(folder().toStdString());
    if (!key.open() || !key.valueExists(name)) return QString();
    return QString::fromStdString(key.readString(name));
}

std::optional<int> ConfigHome::storedInteger(const char* name) const {
    SettingsKey key(folder().toStdString());
    if (!key.open() || !key.valueExists(name)) return std::nullopt;
    return key.readInteger(name);
}

BeepRecorder::BeepRecorder() {
    setBeepSink([this](int hz, int ms) { tones.emplace_back(hz, ms); });
}

BeepRecorder::~BeepRecorder() { setBeepSink({}); }

void WindowDeleter::operator()(TfrmModule* window) const {
    if (frmModule == window) frmModule = nullptr;
    delete window;
}

Window createWindow(bool show) {
    Window window(new TfrmModule);
    frmModule = window.get();
    if (show) {
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) qFatal("the window was not shown");
    }
    return window;
}

MessageBoxAnswerer::MessageBoxAnswerer() : timer_(new QTimer) {
    timer_->setInterval(20);
    QObject::connect(timer_, &QTimer::timeout, [this] {
        const auto boxes = QApplication::topLevelWidgets();
        for (QWidget* widget : boxes) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box && box->isVisible()) {
                texts << box->text();
                box->accept();
            }
        }
    });
    timer_->start();
}

MessageBoxAnswerer::~MessageBoxAnswerer() { delete timer_; }

int runTests(QObject* test, int argc, char** argv) {
    QxApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    applyClassicLook(app);
    return QTest::qExec(test, argc, argv);
}

} // namespace guitest
