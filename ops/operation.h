#pragma once
// What the single-shot operations share: the sequence of cursor, window, port,
// attempts and report, the presence check, and text conversions between the
// window and the wire.
#include <functional>
#include <optional>
#include <string>

#include <QString>

class TfrmModule;

struct OperationTexts {
    std::optional<QString> startText;   // none: pnMsg keeps its text during the run
    int okMessage;
    int errorMessage;
};

// Hourglass and disabled window for the whole run; refusal without a scan;
// start text; port open at the place of the last find; at most two attempts;
// port closed; lamp, text and tone of the outcome. Returns the outcome.
bool runSingleShotOperation(TfrmModule& form, const OperationTexts& texts,
                            const std::function<bool()>& attempt);

// Opens the port at the place of the last find, makes at most two attempts
// (the second only after the first failed) and closes the port again. False
// when the port did not open or both attempts failed.
bool attemptTwiceOnPort(const std::function<bool()>& attempt);

// The check at the start of every attempt: a pause, then the clock read,
// which must come back as a 26-byte frame.
bool controllerAnswers(int pauseMs);

// Reply bytes shown as they stand (one character per byte).
QString fromWire(const std::string& bytes);
// Typed text as bytes on the wire (UTF-8; plain ASCII stays as typed).
std::string toWire(const QString& text);
// A reply frame with its control characters shown as visible symbols.
QString visibleFrame(const std::string& frame);

// Busy mode for the length of a scope; leave() ends it early.
class BusyMode {
public:
    explicit BusyMode(TfrmModule& form);
    ~BusyMode() { leave(); }
    BusyMode(const BusyMode&) = delete;
    BusyMode& operator=(const BusyMode&) = delete;
    void leave();
private:
    TfrmModule& form_;
    bool on_ = true;
};
