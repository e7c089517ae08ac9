#include "link/com_ports.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string homeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return ".";
}

}  // namespace

std::string configDirectory() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        base = xdg;
    else
        base = homeDirectory() + "/.config";
    return base + "/VELDO/QX530RM2Config";
}

std::string comDevicePath(int portNumber, const std::string& configDir) {
    if (portNumber < 1 || portNumber > 16) return {};

    std::error_code ec;
    const fs::path portsDir = fs::path(configDir) / "ports";
    if (!fs::is_directory(portsDir, ec)) return "/dev/ttyS" + std::to_string(portNumber - 1);

    // The folder is the whole map: no entry means no such port.
    const fs::path entry = portsDir / ("COM" + std::to_string(portNumber));
    const fs::file_status status = fs::symlink_status(entry, ec);
    if (ec || !fs::exists(status)) return {};
    if (!fs::is_symlink(status)) return entry.string();

    fs::path target = fs::read_symlink(entry, ec);
    if (ec) return {};
    if (target.is_relative()) target = portsDir / target;
    return target.string();
}
