#pragma once
// Shared by the window tests: a configuration home of their own, the tones
// recorded instead of played, the window started as the program starts it,
// message boxes answered, and a main() with the program's application object
// and look.
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "app/frm_module.h"

namespace guitest {

// XDG_CONFIG_HOME points at a fresh folder for the object's life. The program
// folder holds an empty ports/ map, so no COM port exists.
class ConfigHome {
public:
    ConfigHome();
    ~ConfigHome();
    ConfigHome(const ConfigHome&) = delete;
    ConfigHome& operator=(const ConfigHome&) = delete;

    QString home() const { return dir_.path(); }
    QString folder() const;                      // .../VELDO/QX530RM2Config
    QString settingsPath() const { return folder() + "/settings.reg"; }

    void writeSettings(const QByteArray& text) const;   // the whole file
    // REGEDIT4, the program's key and these value lines.
    void writeValues(const QStringList& valueLines) const;
    QByteArray settings() const;                 // empty when there is no file
    bool settingsExist() const;
    // The value lines of the program's key, parsed ("name" -> "dword:..." or text).
    QString storedText(const char* name) const;
    std::optional<int> storedInteger(const char* name) const;

private:
    QTemporaryDir dir_;
    QByteArray previous_;
    bool hadPrevious_ = false;
};

// Records every Beep instead of playing it.
class BeepRecorder {
public:
    BeepRecorder();
    ~BeepRecorder();
    BeepRecorder(const BeepRecorder&) = delete;
    BeepRecorder& operator=(const BeepRecorder&) = delete;
    std::vector<std::pair<int, int>> tones;   // (Hz, ms)
};

// Creates the window (layout and FormCreate), makes it frmModule and, unless
// told otherwise, shows it and waits until it is exposed.
struct WindowDeleter {
    void operator()(TfrmModule* window) const;
};
using Window = std::unique_ptr<TfrmModule, WindowDeleter>;
Window createWindow(bool show = true);

// Closes every message box that opens while the object lives, keeping its text.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer();
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;
    QStringList texts;

private:
    class QTimer* timer_;
};

int runTests(QObject* test, int argc, char** argv);

} // namespace guitest

#define QX_GUI_TEST_MAIN(TestClass)                                                                \
    int main(int argc, char** argv) {                                                              \
        TestClass test;                                                                            \
        return guitest::runTests(&test, argc, argv);                                               \
    }
