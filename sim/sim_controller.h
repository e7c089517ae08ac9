#pragma once
// The controller's side of the protocol on a pseudo-terminal, for tests, the
// benchmarks and "./run --simulated". It answers only while the speed the
// program set on the line equals the speed of its own line setting.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

// What the simulator does with one kind of command.
enum class Fault {
    None,          // a correct reply
    Silent,        // no reply at all
    BadCrc,        // a wrong CRC digit
    LowerCaseCrc,  // CRC digits in lower case; an unread reply character is chosen so that one is A-F
    WrongLength,   // one payload character more than the documented length
    ShortLength,   // one payload character fewer
    NoiseBeforeEtx,// a few bytes of noise (no CR) before the frame
    Vanish,        // the device disappears, as a pulled USB adapter would
    VanishMidReply,// half of the reply frame, then the device disappears
    Flood,         // an ETX and 100,000 bytes without a CR instead of the reply
};

struct Behaviour {
    Fault fault = Fault::None;
    int delayMs = 0;      // wait before replying
    int failFirst = -1;   // >= 0: apply the fault only to the first N requests, then reply correctly
};

struct LoggedRequest {
    std::chrono::system_clock::time_point time;
    int baud = 0;             // speed found on the line when the request came
    int settingIndex = -1;    // the simulator's own line setting at that moment
    std::string payload;      // between SOH and STX
    bool crcOk = false;
    bool answered = false;
};

struct Options {
    std::string configDir;      // where ports/COMn is made; empty: the program's configuration folder
    int comNumber = 3;          // 1..16
    std::string controllerId = "01";
    int settingIndex = 5;       // 0..11
    bool makeLink = true;       // create ports/COMn pointing at the pseudo-terminal
    std::string model = "QX530RM3";     // DB reply, 8 characters
    std::string version = "03.20-01";   // DB reply, 8 characters
    std::string serial = "00012345";    // AS reply, 8 characters
    std::size_t logLimit = 0;   // keep only the newest entries; 0: keep all
};

class SimController {
public:
    explicit SimController(Options options);
    ~SimController();           // stops, removes the link
    SimController(const SimController&) = delete;
    SimController& operator=(const SimController&) = delete;

    bool start();               // opens the pseudo-terminal and the worker thread
    void stop();

    std::string slavePath() const;      // /dev/pts/N
    std::string linkPath() const;       // <configDir>/ports/COMn

    // Scripting: command letters as keys ("AC", "DB", "AS", "AB", "AA", "JF",
    // "DCA11", "HA", "IH", "JD", "HK", "AE", "JC", "PJ", "IB"); "*" for any
    // other (console) text.
    void setBehaviour(const std::string& command, Behaviour behaviour);
    void clearBehaviours();
    // The next PJ replies carry these records (27 characters each, shown as
    // "f1-f2-f3-f4"), one per poll, in order; afterwards short replies again.
    // A record is taken as its 24 field characters: the three "-" at 2, 17
    // and 22 are dropped when present, the rest cut or padded with "0".
    void queuePollRecords(std::vector<std::string> records);
    // Input states DI1..DI4 in the PJ replies, e.g. "101x".
    void setInputs(const std::string& fourChars);
    // Exact reply payload for the next request of this command (one shot).
    void setNextReplyPayload(const std::string& command, const std::string& payload);

    void vanish();              // the device disappears now
    int settingIndex() const;   // changes after an accepted AE
    void setSettingIndex(int index);

    std::vector<LoggedRequest> log() const;
    std::vector<std::string> payloads() const;   // the log's payloads, in order
    void clearLog();
    // Waits until at least n requests are logged; false after the deadline.
    bool waitForRequests(std::size_t n, std::chrono::milliseconds deadline) const;

    // Called on the worker thread for every request, after it has been logged
    // and before its reply is written. It must not call stop().
    void setRequestObserver(std::function<void(const LoggedRequest&)> observer);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The command letters a payload stands for, as used for scripting ("00AC" -> "AC").
std::string commandOf(const std::string& payload);

}  // namespace sim
