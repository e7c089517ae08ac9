// qx530sim: the simulated controller on a pseudo-terminal, reachable by the
// program as COMn through the link ports/COMn in its configuration folder.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <mutex>
#include <pthread.h>
#include <string>
#include <vector>

#include "link/line_settings.h"
#include "sim/sim_controller.h"

namespace {

void usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: qx530sim [options]\n"
                 "  --port N            COM number 1..16 (default 3)\n"
                 "  --id XX             controller ID, two characters (default 01)\n"
                 "  --setting N         own line setting 0..11 (default 5, 19200,e,8,1)\n"
                 "  --config-dir DIR    where ports/COMn is made (default: the program's folder)\n"
                 "  --no-link           make no ports/COMn link, only print the device\n"
                 "  --silent CMD        never answer CMD (AC, DB, ..., or * for console text)\n"
                 "  --fault CMD=KIND    KIND: silent, badcrc, lowercase, long, short, noise, vanish\n"
                 "  --fail-first N      apply the following --fault only to the first N requests\n"
                 "  --delay CMD=MS      wait MS milliseconds before answering CMD\n"
                 "  --records N         the next N polls (PJ) carry a record\n"
                 "  --inputs XXXX       input states DI1..DI4 in poll replies (default 0000)\n"
                 "  --model TEXT, --version TEXT, --serial TEXT   identification replies\n");
}

bool parseFault(const std::string& name, sim::Fault& fault) {
    static const std::pair<const char*, sim::Fault> kinds[] = {
        {"none", sim::Fault::None},         {"silent", sim::Fault::Silent},
        {"badcrc", sim::Fault::BadCrc},     {"lowercase", sim::Fault::LowerCaseCrc},
        {"long", sim::Fault::WrongLength},  {"short", sim::Fault::ShortLength},
        {"noise", sim::Fault::NoiseBeforeEtx}, {"vanish", sim::Fault::Vanish},
    };
    for (const auto& [text, kind] : kinds) {
        if (name == text) {
            fault = kind;
            return true;
        }
    }
    return false;
}

bool parseInt(const std::string& text, int low, int high, int& value) {
    try {
        std::size_t used = 0;
        const int n = std::stoi(text, &used);
        if (used != text.size() || n < low || n > high) return false;
        value = n;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Splits "CMD=VALUE".
bool splitPair(const std::string& text, std::string& key, std::string& value) {
    const auto at = text.find('=');
    if (at == std::string::npos || at == 0) return false;
    key = text.substr(0, at);
    value = text.substr(at + 1);
    return true;
}

std::string printable(const std::string& payload) {
    std::string out;
    for (unsigned char c : payload) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", c);
            out += hex;
        }
    }
    return out;
}

std::string timeText(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&t, &local);
    char text[40];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(ms));
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    sim::Options options;
    options.logLimit = 1000;   // runs for hours under ./run --simulated
    std::map<std::string, sim::Behaviour> behaviours;   // a fault and a delay per command add up
    int records = 0;
    int failFirst = -1;
    std::string inputs;

    const std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto next = [&](std::string& value) {
            if (i + 1 >= args.size()) return false;
            value = args[++i];
            return true;
        };
        std::string value, key, setting;
        bool ok = true;
        if (arg == "-h" || arg == "--help") {
            usage(stdout);
            return 0;
        }
        if (arg == "--no-link") {
            options.makeLink = false;
            continue;
        }
        if (!next(value)) {
            std::fprintf(stderr, "qx530sim: %s needs a value\n", arg.c_str());
            usage(stderr);
            return 2;
        }
        if (arg == "--port") {
            ok = parseInt(value, 1, 16, options.comNumber);
        } else if (arg == "--id") {
            ok = value.size() == 2;
            options.controllerId = value;
        } else if (arg == "--setting") {
            ok = parseInt(value, 0, LineSettingsCount - 1, options.settingIndex);
        } else if (arg == "--config-dir") {
            options.configDir = value;
        } else if (arg == "--silent") {
            behaviours[value].fault = sim::Fault::Silent;
        } else if (arg == "--fail-first") {
            ok = parseInt(value, 0, 1000000, failFirst);
        } else if (arg == "--fault") {
            sim::Fault fault = sim::Fault::None;
            ok = splitPair(value, key, setting) && parseFault(setting, fault);
            if (ok) {
                behaviours[key].fault = fault;
                behaviours[key].failFirst = failFirst;
            }
        } else if (arg == "--delay") {
            int delay = 0;
            ok = splitPair(value, key, setting) && parseInt(setting, 0, 60000, delay);
            if (ok) behaviours[key].delayMs = delay;
        } else if (arg == "--records") {
            ok = parseInt(value, 0, 1000000, records);
        } else if (arg == "--inputs") {
            ok = value.size() == 4;
            inputs = value;
        } else if (arg == "--model") {
            options.model = value;
        } else if (arg == "--version") {
            options.version = value;
        } else if (arg == "--serial") {
            options.serial = value;
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "qx530sim: bad argument near \"%s\"\n", arg.c_str());
            usage(stderr);
            return 2;
        }
    }

    // Blocked before the worker starts, so that only sigwait below sees them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    sim::SimController controller(options);
    std::mutex outputMutex;
    controller.setRequestObserver([&outputMutex](const sim::LoggedRequest& r) {
        std::lock_guard lock(outputMutex);
        std::printf("%s %6d baud setting %2d  %-34s CRC %s%s\n", timeText(r.time).c_str(), r.baud, r.settingIndex,
                    printable(r.payload).c_str(), r.crcOk ? "good" : "bad ", r.answered ? "  answered" : "");
        std::fflush(stdout);
    });
    for (const auto& [command, behaviour] : behaviours) controller.setBehaviour(command, behaviour);
    if (!inputs.empty()) controller.setInputs(inputs);
    if (records > 0) {
        std::vector<std::string> queued;
        for (int n = 0; n < records; ++n) {
            char record[40];
            std::snprintf(record, sizeof record, "%d-20240101%06d-%04d-%05d", n % 10, n % 1000000, n % 10000,
                          n % 100000);
            queued.emplace_back(record);
        }
        controller.queuePollRecords(std::move(queued));
    }

    if (!controller.start()) {
        std::fprintf(stderr, "qx530sim: cannot open a pseudo-terminal or make the port link\n");
        return 1;
    }
    {
        std::lock_guard lock(outputMutex);
        std::printf("qx530sim: device %s\n", controller.slavePath().c_str());
        if (!controller.linkPath().empty()) std::printf("qx530sim: COM%d is %s\n", options.comNumber, controller.linkPath().c_str());
        std::printf("qx530sim: ID %s, line setting %d (%s)\n", options.controllerId.c_str(), options.settingIndex,
                    LineSettings[options.settingIndex]);
        std::fflush(stdout);
    }

    int received = 0;
    sigwait(&signals, &received);
    controller.stop();
    std::printf("qx530sim: stopped\n");
    return 0;
}
