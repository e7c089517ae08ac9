#include "sim/sim_controller.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "link/com_ports.h"
#include "link/commands.h"
#include "link/frame.h"
#include "link/line_settings.h"

namespace sim {

namespace {

namespace fs = std::filesystem;

// Owns one file descriptor.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_ = -1;
};

// Command letters the controller knows, longest first so that a longer
// command wins over a shorter one with the same start.
const std::array<const char*, 15> kCommands = {
    "DCA11", "AC", "DB", "AS", "AB", "AA", "JF", "HA", "IH", "JD", "HK", "AE", "JC", "PJ", "IB",
};

constexpr std::size_t kRecordLength = 24;      // 1 + 14 + 4 + 5 field characters
constexpr std::size_t kMaxRequestBytes = 1100; // a request never comes near this
constexpr int kReplyIdleLimitMs = 2000;       // a reply nobody reads is dropped
const char kNoise[] = {'\x7F', 'U', '#', '\xAA', '\0', '~'};

// Writes as much as the reader takes. Gives up once the reader has taken
// nothing for idleLimitMs (a program that stopped reading) or when asked to
// stop; the master is non-blocking so that neither can hang the worker.
bool writeWhileRead(int fd, const std::vector<uint8_t>& bytes, int idleLimitMs, const std::atomic<bool>& stopping) {
    std::size_t done = 0;
    auto lastProgress = std::chrono::steady_clock::now();
    while (done < bytes.size()) {
        if (stopping.load()) return false;
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            lastProgress = std::chrono::steady_clock::now();
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (std::chrono::steady_clock::now() - lastProgress > std::chrono::milliseconds(idleLimitMs)) return false;
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 10);
        } else {
            return false;
        }
    }
    return true;
}

std::string clockDigits(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&t, &local);
    return cmd::clockDigits(local);
}

// "yyyymmddhhnnss" as local time; nullopt when it is not 14 digits.
std::optional<std::chrono::system_clock::time_point> parseClockDigits(const std::string& digits) {
    if (digits.size() != 14 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    auto number = [&](std::size_t at, std::size_t count) { return std::stoi(digits.substr(at, count)); };
    std::tm local{};
    local.tm_year = number(0, 4) - 1900;
    local.tm_mon = number(4, 2) - 1;
    local.tm_mday = number(6, 2);
    local.tm_hour = number(8, 2);
    local.tm_min = number(10, 2);
    local.tm_sec = number(12, 2);
    local.tm_isdst = -1;
    const std::time_t t = std::mktime(&local);
    if (t == static_cast<std::time_t>(-1)) return std::nullopt;
    return std::chrono::system_clock::from_time_t(t);
}

int lineSettingFromCode(char code) {
    if (code >= '0' && code <= '9') return code - '0';
    if (code >= 'A' && code < 'A' + LineSettingsCount - 10) return 10 + (code - 'A');
    return -1;
}

int baudOfSetting(int index) {
    if (index < 0 || index >= LineSettingsCount) return -1;
    const auto setting = parseLineSettings(LineSettings[index]);
    return setting ? setting->baud : -1;
}

std::string fitted(std::string text, std::size_t length) {
    text.resize(length, '0');
    return text;
}

std::string recordFields(const std::string& record) {
    std::string fields = record;
    if (fields.size() == kRecordLength + 3 && fields[1] == '-' && fields[16] == '-' && fields[21] == '-')
        fields = fields.substr(0, 1) + fields.substr(2, 14) + fields.substr(17, 4) + fields.substr(22, 5);
    return fitted(fields, kRecordLength);
}

bool hasLetterDigit(const std::string& digits) {
    return std::any_of(digits.begin(), digits.end(), [](char c) { return c >= 'A' && c <= 'F'; });
}

}  // namespace

std::string commandOf(const std::string& payload) {
    if (payload.size() < 2) return "*";
    for (const char* command : kCommands) {
        std::string letters = command;
        if (payload.compare(2, letters.size(), letters) == 0) return letters;
    }
    return "*";
}

struct SimController::Impl {
    explicit Impl(Options o) : options(std::move(o)) {}

    Options options;

    // Touched only by start(), stop() and the worker thread (or by vanish()
    // while no worker runs), never by two of them at once.
    UniqueFd master;
    UniqueFd keptSlave;   // keeps reads on the master from failing with EIO
    UniqueFd wakeRead, wakeWrite;
    std::thread worker;
    std::vector<uint8_t> pending;   // request bytes from SOH on
    bool inFrame = false;

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    // Guarded by mutex.
    std::string slave;
    std::string link;
    bool running = false;
    bool stopRequested = false;
    bool vanishRequested = false;
    bool vanished = false;
    bool workerDone = false;
    std::atomic<bool> stopping{false};   // also read by writes made under the lock
    int settingIndex = 5;
    std::chrono::seconds clockOffset{0};
    std::string inputs = "0000";
    std::map<std::string, Behaviour> behaviours;
    std::map<std::string, int> faultCounts;
    std::map<std::string, std::string> nextReplies;
    std::deque<std::string> records;
    std::deque<LoggedRequest> log;
    std::size_t loggedSinceClear = 0;
    std::function<void(const LoggedRequest&)> observer;

    void wake() {
        if (wakeWrite) {
            const char byte = 1;
            [[maybe_unused]] const ssize_t n = ::write(wakeWrite.get(), &byte, 1);
        }
    }

    bool makeLink();
    void removeLink();
    void disappear();            // worker or stopped: closes the line, removes the link
    void run();
    void take(const uint8_t* bytes, std::size_t count);
    void handle(const std::vector<uint8_t>& frame);
    int lineBaud() const;
    std::string replyFor(const std::string& command);
    std::vector<uint8_t> faultyFrame(std::string payload, Fault fault) const;
    bool pause(int ms);          // false when stop was asked for meanwhile
    void waitUntilRead(int limitMs);  // until the program has read all we wrote
};

bool SimController::Impl::makeLink() {
    const std::string dir = options.configDir.empty() ? configDirectory() : options.configDir;
    const fs::path ports = fs::path(dir) / "ports";
    const fs::path linkFile = ports / ("COM" + std::to_string(options.comNumber));
    std::error_code error;
    fs::create_directories(ports, error);
    if (error) return false;
    // Made under a temporary name and renamed over the old link, so that a
    // reader never finds the port missing in between.
    const fs::path temporary = ports / (".COM" + std::to_string(options.comNumber) + ".sim" + std::to_string(::getpid()));
    fs::remove(temporary, error);
    fs::create_symlink(slave, temporary, error);
    if (error) return false;
    fs::rename(temporary, linkFile, error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    link = linkFile.string();
    return true;
}

void SimController::Impl::removeLink() {
    if (link.empty()) return;
    // Only our own link: another simulator may have taken the port meanwhile.
    std::error_code error;
    if (fs::is_symlink(link, error) && fs::read_symlink(link, error).string() == slave) fs::remove(link, error);
}

void SimController::Impl::disappear() {
    std::lock_guard lock(mutex);
    removeLink();
    master.reset();
    keptSlave.reset();
    vanished = true;
    vanishRequested = false;
    changed.notify_all();
}

bool SimController::Impl::pause(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        {
            std::lock_guard lock(mutex);
            if (stopRequested) return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0) return true;
        pollfd p{wakeRead.get(), POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (p.revents & POLLIN) {
            // Leave the byte for the main loop unless it means stop.
            std::lock_guard lock(mutex);
            if (stopRequested) return false;
            if (!vanishRequested) {
                char drain[16];
                [[maybe_unused]] const ssize_t n = ::read(wakeRead.get(), drain, sizeof drain);
            } else {
                return true;
            }
        }
    }
}

void SimController::Impl::waitUntilRead(int limitMs) {
    // The kernel hands written bytes to the reading side a moment later, so
    // wait until they have shown up in the input queue and then left it. If
    // they never show up the program has already taken them.
    const auto start = std::chrono::steady_clock::now();
    const auto limit = std::chrono::milliseconds(limitMs);
    const auto neverSeenLimit = std::chrono::milliseconds(200);
    bool seen = false;
    for (;;) {
        int queued = 0;
        // The kept slave descriptor sees the same input queue as the program's.
        if (!keptSlave || ::ioctl(keptSlave.get(), FIONREAD, &queued) != 0) return;
        if (queued > 0) seen = true;
        else if (seen) return;
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (elapsed > limit || (!seen && elapsed > neverSeenLimit) || !pause(2)) return;
    }
}

int SimController::Impl::lineBaud() const {
    termios tio{};
    if (!master || ::tcgetattr(master.get(), &tio) != 0) return 0;
    return baudFromSpeed(::cfgetospeed(&tio));
}

void SimController::Impl::run() {
    std::array<uint8_t, 256> buffer{};
    for (;;) {
        std::array<pollfd, 2> fds{pollfd{wakeRead.get(), POLLIN, 0}, pollfd{master.get(), POLLIN, 0}};
        const nfds_t count = master ? 2 : 1;
        const int ready = ::poll(fds.data(), count, -1);
        if (ready < 0 && errno != EINTR) break;
        if (fds[0].revents & POLLIN) {
            char drain[16];
            [[maybe_unused]] const ssize_t n = ::read(wakeRead.get(), drain, sizeof drain);
            bool vanishNow = false;
            {
                std::lock_guard lock(mutex);
                if (stopRequested) break;
                vanishNow = vanishRequested;
            }
            if (vanishNow) disappear();
            continue;
        }
        if (count < 2 || fds[1].revents == 0) continue;
        const ssize_t n = ::read(master.get(), buffer.data(), buffer.size());
        if (n > 0) {
            take(buffer.data(), static_cast<std::size_t>(n));
        } else if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        } else if (!pause(10)) {
            break;   // EIO or hangup: try again shortly without spinning
        }
    }
    std::lock_guard lock(mutex);
    workerDone = true;
    changed.notify_all();
}

void SimController::Impl::take(const uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t byte = bytes[i];
        if (byte == SOH) {
            // A new start drops whatever came before it.
            pending.assign(1, SOH);
            inFrame = true;
            continue;
        }
        if (!inFrame) continue;
        pending.push_back(byte);
        if (byte == CR) {
            inFrame = false;
            const std::vector<uint8_t> frame = std::move(pending);
            pending.clear();
            handle(frame);
            if (!master) return;   // vanished while handling it
        } else if (pending.size() > kMaxRequestBytes) {
            inFrame = false;
            pending.clear();
        }
    }
}

std::string SimController::Impl::replyFor(const std::string& command) {
    const std::string& id = options.controllerId;
    const auto now = std::chrono::system_clock::now() + clockOffset;
    // The four characters the program never reads: the ID and the command.
    std::string head = fitted(id, 2) + (command == "*" ? std::string("OK") : command.substr(0, 2));
    if (command == "AC") return head + fitted(id, 2);
    if (command == "DB") return head + fitted(options.model, 8) + fitted(options.version, 8);
    if (command == "AS") return head + fitted(options.serial, 8);
    if (command == "AB") {
        const std::time_t t = std::chrono::system_clock::to_time_t(now);
        std::tm local{};
        localtime_r(&t, &local);
        return head + clockDigits(now) + std::to_string(local.tm_wday);
    }
    if (command == "PJ") {
        std::string reply = head + clockDigits(now) + fitted(inputs, 4) + "0000";
        if (!records.empty()) {
            reply += recordFields(records.front());
            records.pop_front();
        }
        return reply;
    }
    return head;
}

std::vector<uint8_t> SimController::Impl::faultyFrame(std::string payload, Fault fault) const {
    switch (fault) {
    case Fault::WrongLength:
        return buildReplyFrame(payload + "0");
    case Fault::ShortLength:
        if (!payload.empty()) payload.pop_back();
        return buildReplyFrame(payload);
    case Fault::NoiseBeforeEtx: {
        std::vector<uint8_t> bytes(std::begin(kNoise), std::end(kNoise));
        const std::vector<uint8_t> frame = buildReplyFrame(payload);
        bytes.insert(bytes.end(), frame.begin(), frame.end());
        return bytes;
    }
    case Fault::BadCrc: {
        std::vector<uint8_t> frame = buildReplyFrame(payload);
        uint8_t& digit = frame[frame.size() - 2];
        digit = digit == '0' ? '1' : '0';
        return frame;
    }
    case Fault::LowerCaseCrc: {
        // Lower case only matters where a digit is A-F, so change one of the
        // unread characters until the CRC has such a digit.
        const std::string alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
        auto digitsOf = [](const std::string& p) {
            const std::vector<uint8_t> f = buildReplyFrame(p);
            return std::string(f.end() - 5, f.end() - 1);
        };
        for (std::size_t pos = std::min<std::size_t>(payload.size(), 4); pos-- > 0 && !hasLetterDigit(digitsOf(payload));) {
            const char original = payload[pos];
            for (char c : alphabet) {
                payload[pos] = c;
                if (hasLetterDigit(digitsOf(payload))) break;
            }
            if (!hasLetterDigit(digitsOf(payload))) payload[pos] = original;
        }
        std::vector<uint8_t> frame = buildReplyFrame(payload);
        for (std::size_t i = frame.size() - 5; i < frame.size() - 1; ++i)
            if (frame[i] >= 'A' && frame[i] <= 'F') frame[i] = static_cast<uint8_t>(frame[i] - 'A' + 'a');
        return frame;
    }
    default:
        return buildReplyFrame(payload);
    }
}

void SimController::Impl::handle(const std::vector<uint8_t>& frame) {
    LoggedRequest entry;
    entry.time = std::chrono::system_clock::now();
    entry.baud = lineBaud();
    const std::size_t size = frame.size();
    if (size >= 7 && frame[size - 6] == STX) {
        entry.payload.assign(frame.begin() + 1, frame.end() - 6);
        const std::string digits(frame.end() - 5, frame.end() - 1);
        entry.crcOk = digits == crcDigits(crc16Arc(frame.data(), size - 5));
    } else {
        entry.payload.assign(frame.begin() + 1, frame.end() - 1);
    }
    const std::string command = commandOf(entry.payload);
    const std::string address = entry.payload.substr(0, 2);

    Fault fault = Fault::None;
    int delayMs = 0;
    int newSetting = -1;
    std::string reply;
    std::function<void(const LoggedRequest&)> notify;
    {
        std::lock_guard lock(mutex);
        entry.settingIndex = settingIndex;
        const bool addressed = entry.payload.size() >= 2 &&
                               (address == options.controllerId || (command == "AC" && address == "00"));
        const bool accepted = entry.crcOk && addressed && entry.baud == baudOfSetting(settingIndex);
        if (accepted) {
            const auto found = behaviours.find(command);
            if (found != behaviours.end()) {
                const Behaviour& b = found->second;
                const int seen = faultCounts[command]++;
                if (b.failFirst < 0 || seen < b.failFirst) fault = b.fault;
                delayMs = b.delayMs;
            }
            // The command takes effect even when its reply is lost.
            if (command == "AA") {
                if (const auto set = parseClockDigits(entry.payload.substr(4)))
                    clockOffset = std::chrono::duration_cast<std::chrono::seconds>(*set - std::chrono::system_clock::now());
            } else if (command == "AE" && entry.payload.size() == 5) {
                newSetting = lineSettingFromCode(entry.payload[4]);
            }
            const auto scripted = nextReplies.find(command);
            if (scripted != nextReplies.end()) {
                reply = scripted->second;
                nextReplies.erase(scripted);
            } else {
                reply = replyFor(command);
            }
        }
        entry.answered = accepted && fault != Fault::Silent && fault != Fault::Vanish && fault != Fault::Flood;
        log.push_back(entry);
        ++loggedSinceClear;
        if (options.logLimit > 0 && log.size() > options.logLimit) log.pop_front();
        notify = observer;
        changed.notify_all();
    }
    if (notify) notify(entry);

    if (fault == Fault::Vanish) {
        disappear();
        return;
    }
    if (fault == Fault::Flood) {
        // Not under the lock: the program stops reading after its buffer is
        // full, and the test thread must still be able to look at the log.
        std::vector<uint8_t> flood(100000, '7');
        flood.front() = ETX;
        int fd = -1;
        {
            std::lock_guard lock(mutex);
            fd = master.get();
        }
        if (fd >= 0) writeWhileRead(fd, flood, 500, stopping);
        return;
    }
    if (fault == Fault::VanishMidReply) {
        if (delayMs > 0 && !pause(delayMs)) return;
        const std::vector<uint8_t> frame = buildReplyFrame(reply);
        {
            std::lock_guard lock(mutex);
            writeWhileRead(master.get(), std::vector<uint8_t>(frame.begin(), frame.begin() + static_cast<long>(frame.size() / 2)),
                           kReplyIdleLimitMs, stopping);
        }
        // A hang-up drops what the program has not read yet, so let it take
        // the half frame first, as it would from a real adapter's buffer.
        waitUntilRead(kReplyIdleLimitMs);
        disappear();
        return;
    }
    if (!entry.answered) {
        // A silent controller still carries out a line-setting change.
        if (newSetting >= 0) {
            std::lock_guard lock(mutex);
            settingIndex = newSetting;
        }
        return;
    }
    if (delayMs > 0 && !pause(delayMs)) return;
    const std::vector<uint8_t> bytes = faultyFrame(reply, fault);
    // Written under the lock, so that whoever has read the reply sees the
    // switched line setting too.
    std::lock_guard lock(mutex);
    writeWhileRead(master.get(), bytes, kReplyIdleLimitMs, stopping);
    if (newSetting >= 0) {
        ::tcdrain(master.get());
        settingIndex = newSetting;
    }
}

SimController::SimController(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {
    impl_->settingIndex = impl_->options.settingIndex;
}

SimController::~SimController() { stop(); }

bool SimController::start() {
    Impl& d = *impl_;
    {
        std::lock_guard lock(d.mutex);
        if (d.running) return false;
    }
    UniqueFd master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
    if (!master || ::grantpt(master.get()) != 0 || ::unlockpt(master.get()) != 0) return false;
    char name[128];
    if (::ptsname_r(master.get(), name, sizeof name) != 0) return false;
    UniqueFd kept(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!kept) return false;
    // Raw, so that the line discipline neither echoes requests back nor
    // turns the CR of a reply into a newline.
    termios tio{};
    if (::tcgetattr(master.get(), &tio) == 0) {
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        ::tcsetattr(master.get(), TCSANOW, &tio);
    }
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    UniqueFd wakeRead(pipeFds[0]), wakeWrite(pipeFds[1]);

    std::lock_guard lock(d.mutex);
    d.slave = name;
    d.link.clear();
    if (d.options.makeLink && !d.makeLink()) return false;
    d.master = std::move(master);
    d.keptSlave = std::move(kept);
    d.wakeRead = std::move(wakeRead);
    d.wakeWrite = std::move(wakeWrite);
    d.pending.clear();
    d.inFrame = false;
    d.stopRequested = false;
    d.vanishRequested = false;
    d.vanished = false;
    d.workerDone = false;
    d.stopping = false;
    d.running = true;
    d.worker = std::thread([&d] { d.run(); });
    return true;
}

void SimController::stop() {
    Impl& d = *impl_;
    {
        std::lock_guard lock(d.mutex);
        if (!d.running) return;
        d.stopRequested = true;
        d.stopping = true;
        d.changed.notify_all();
    }
    d.wake();
    if (d.worker.joinable()) d.worker.join();
    std::lock_guard lock(d.mutex);
    d.removeLink();
    d.master.reset();
    d.keptSlave.reset();
    d.wakeRead.reset();
    d.wakeWrite.reset();
    d.running = false;
}

std::string SimController::slavePath() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->slave;
}

std::string SimController::linkPath() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->link;
}

void SimController::setBehaviour(const std::string& command, Behaviour behaviour) {
    std::lock_guard lock(impl_->mutex);
    impl_->behaviours[command] = behaviour;
    impl_->faultCounts[command] = 0;
}

void SimController::clearBehaviours() {
    std::lock_guard lock(impl_->mutex);
    impl_->behaviours.clear();
    impl_->faultCounts.clear();
}

void SimController::queuePollRecords(std::vector<std::string> records) {
    std::lock_guard lock(impl_->mutex);
    for (auto& record : records) impl_->records.push_back(std::move(record));
}

void SimController::setInputs(const std::string& fourChars) {
    std::lock_guard lock(impl_->mutex);
    impl_->inputs = fourChars;
}

void SimController::setNextReplyPayload(const std::string& command, const std::string& payload) {
    std::lock_guard lock(impl_->mutex);
    impl_->nextReplies[command] = payload;
}

void SimController::vanish() {
    Impl& d = *impl_;
    std::unique_lock lock(d.mutex);
    if (d.vanished) return;
    if (!d.running || d.workerDone || std::this_thread::get_id() == d.worker.get_id()) {
        lock.unlock();
        d.disappear();
        return;
    }
    d.vanishRequested = true;
    lock.unlock();
    d.wake();
    lock.lock();
    d.changed.wait(lock, [&d] { return d.vanished || d.workerDone; });
    if (!d.vanished) {
        // The worker has ended and no longer touches the line.
        lock.unlock();
        d.disappear();
    }
}

int SimController::settingIndex() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->settingIndex;
}

void SimController::setSettingIndex(int index) {
    std::lock_guard lock(impl_->mutex);
    impl_->settingIndex = index;
}

std::vector<LoggedRequest> SimController::log() const {
    std::lock_guard lock(impl_->mutex);
    return {impl_->log.begin(), impl_->log.end()};
}

std::vector<std::string> SimController::payloads() const {
    std::lock_guard lock(impl_->mutex);
    std::vector<std::string> result;
    result.reserve(impl_->log.size());
    for (const auto& entry : impl_->log) result.push_back(entry.payload);
    return result;
}

void SimController::clearLog() {
    std::lock_guard lock(impl_->mutex);
    impl_->log.clear();
    impl_->loggedSinceClear = 0;
}

bool SimController::waitForRequests(std::size_t n, std::chrono::milliseconds deadline) const {
    std::unique_lock lock(impl_->mutex);
    return impl_->changed.wait_for(lock, deadline, [&] { return impl_->loggedSinceClear >= n; });
}

void SimController::setRequestObserver(std::function<void(const LoggedRequest&)> observer) {
    std::lock_guard lock(impl_->mutex);
    impl_->observer = std::move(observer);
}

}  // namespace sim
