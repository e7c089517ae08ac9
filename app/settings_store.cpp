#include "app/settings_store.h"

#include "app/globals.h"
#include "link/line_settings.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace regfile {

namespace {

constexpr std::string_view Header = "REGEDIT4";

char lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// Reads a quoted text at the start of s (the opening quote included), undoing
// the \\ and \" escapes; advances s past the closing quote.
std::optional<std::string> readQuoted(std::string_view& s) {
    if (s.empty() || s.front() != '"') return std::nullopt;
    std::string out;
    for (std::size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            s.remove_prefix(i + 1);
            return out;
        }
        if (c == '\\') {
            if (i + 1 >= s.size()) return std::nullopt;
            const char next = s[++i];
            if (next != '\\' && next != '"') return std::nullopt;
            out.push_back(next);
        } else {
            out.push_back(c);
        }
    }
    return std::nullopt;
}

// End of the line that starts the text: the first line break outside a
// quoted text. A stored text may hold line breaks of its own (a card ID that
// was pasted with one), and must not cut its value in two. Comments and key
// lines hold no quoted texts: a quote in them is an ordinary character, and
// their line ends at the first line break.
std::size_t logicalLineEnd(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first != std::string_view::npos && (text[first] == ';' || text[first] == '[')) return text.find('\n');
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted && c == '\\') {
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == '\n' && !quoted) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::optional<uint32_t> readDword(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    uint32_t value = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return std::nullopt;
        value = value << 4 | uint32_t(d);
    }
    return value;
}

void quote(std::string& out, std::string_view text) {
    out.push_back('"');
    for (char c : text) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

} // namespace

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

std::optional<File> parse(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    File file;
    Key* current = nullptr;
    bool headerSeen = false;
    while (!text.empty()) {
        const std::size_t end = logicalLineEnd(text);
        std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';') continue;
        if (!headerSeen) {
            if (line != Header) return std::nullopt;
            headerSeen = true;
            continue;
        }
        if (line.front() == '[') {
            if (line.size() < 3 || line.back() != ']') return std::nullopt;
            const std::string_view path = line.substr(1, line.size() - 2);
            if (path.find_first_of("[]") != std::string_view::npos) return std::nullopt;
            current = nullptr;
            for (Key& key : file)
                if (sameName(key.path, path)) current = &key;
            if (!current) current = &file.emplace_back(Key{std::string(path), {}});
            continue;
        }
        if (!current) return std::nullopt;
        auto name = readQuoted(line);
        if (!name) return std::nullopt;
        line = trim(line);
        if (line.empty() || line.front() != '=') return std::nullopt;
        line = trim(line.substr(1));
        Value value;
        value.name = *name;
        if (line.substr(0, 6) == "dword:") {
            auto dword = readDword(line.substr(6));
            if (!dword) return std::nullopt;
            value.type = ValueType::Dword;
            value.dword = *dword;
        } else {
            auto quoted = readQuoted(line);
            if (!quoted || !trim(line).empty()) return std::nullopt;
            value.type = ValueType::Sz;
            value.text = std::move(*quoted);
        }
        const auto same = std::find_if(current->values.begin(), current->values.end(),
                                       [&](const Value& old) { return sameName(old.name, value.name); });
        if (same != current->values.end()) *same = std::move(value);
        else current->values.push_back(std::move(value));
    }
    if (!headerSeen) return std::nullopt;
    return file;
}

std::string serialize(const File& file) {
    std::string out(Header);
    out += "\n";
    for (const Key& key : file) {
        out += "\n[";
        out += key.path;
        out += "]\n";
        for (const Value& value : key.values) {
            quote(out, value.name);
            out += '=';
            if (value.type == ValueType::Dword) {
                char digits[16];
                std::snprintf(digits, sizeof digits, "dword:%08x", unsigned(value.dword));
                out += digits;
            } else {
                quote(out, value.text);
            }
            out += '\n';
        }
    }
    return out;
}

} // namespace regfile

namespace {

constexpr const char* FileName = "settings.reg";

// A temporary file beside settings.reg, removed again unless it was renamed
// into place.
class TempFile {
public:
    explicit TempFile(const std::string& folder) : path_(folder + "/.settings.reg.XXXXXX") {
        fd_ = ::mkstemp(path_.data());
        if (fd_ < 0) path_.clear();
    }
    ~TempFile() {
        closeFd();
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    bool valid() const { return fd_ >= 0; }

    // Writes everything, flushes it to the disk and closes the file.
    bool writeAndSync(const std::string& text) {
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            done += std::size_t(n);
        }
        if (::fsync(fd_) != 0) return false;
        return closeFd();
    }

    bool renameTo(const std::string& target) {
        if (::rename(path_.c_str(), target.c_str()) != 0) return false;
        path_.clear();
        return true;
    }

private:
    bool closeFd() {
        if (fd_ < 0) return true;
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0;
    }

    std::string path_;
    int fd_ = -1;
};

void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

enum class ReadResult { Missing, Failed, Read };

ReadResult readWholeFile(const std::string& path, std::string& text) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) return ReadResult::Missing;
    if (ec || status.type() != std::filesystem::file_type::regular) return ReadResult::Failed;
    std::ifstream in(path, std::ios::binary);
    if (!in) return ReadResult::Failed;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) return ReadResult::Failed;
    text = buffer.str();
    return ReadResult::Read;
}

} // namespace

SettingsKey::SettingsKey(std::string folder) : folder_(std::move(folder)) {}

std::string SettingsKey::filePath() const { return folder_ + "/" + FileName; }

bool SettingsKey::open() {
    open_ = false;
    std::string text;
    if (readWholeFile(filePath(), text) != ReadResult::Read) return false;
    auto parsed = regfile::parse(text);
    if (!parsed) return false;
    for (std::size_t i = 0; i < parsed->size(); ++i) {
        if (regfile::sameName((*parsed)[i].path, regfile::ProgramKey)) {
            file_ = std::move(*parsed);
            key_ = i;
            open_ = true;
            return true;
        }
    }
    return false;
}

bool SettingsKey::openOrCreate() {
    open_ = false;
    keepBadFile_ = false;
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (ec || !std::filesystem::is_directory(folder_, ec)) return false;
    file_.clear();
    std::string text;
    switch (readWholeFile(filePath(), text)) {
    case ReadResult::Failed:
        return false;
    case ReadResult::Missing:
        break;
    case ReadResult::Read:
        if (auto parsed = regfile::parse(text)) file_ = std::move(*parsed);
        else keepBadFile_ = true;
        break;
    }
    key_ = file_.size();
    for (std::size_t i = 0; i < file_.size(); ++i)
        if (regfile::sameName(file_[i].path, regfile::ProgramKey)) key_ = i;
    if (key_ == file_.size()) file_.push_back(regfile::Key{std::string(regfile::ProgramKey), {}});
    open_ = true;
    return true;
}

const regfile::Value* SettingsKey::find(std::string_view name) const {
    if (!open_) return nullptr;
    for (const regfile::Value& value : file_[key_].values)
        if (regfile::sameName(value.name, name)) return &value;
    return nullptr;
}

regfile::Value& SettingsKey::slot(std::string_view name) {
    if (!open_) throw SettingsError("settings key not open");
    for (regfile::Value& value : file_[key_].values)
        if (regfile::sameName(value.name, name)) return value;
    regfile::Value& added = file_[key_].values.emplace_back();
    added.name = std::string(name);
    return added;
}

bool SettingsKey::valueExists(std::string_view name) const { return find(name) != nullptr; }

int32_t SettingsKey::readInteger(std::string_view name) const {
    const regfile::Value* value = find(name);
    if (!value || value->type != regfile::ValueType::Dword)
        throw SettingsError("invalid data type for '" + std::string(name) + "'");
    return static_cast<int32_t>(value->dword);
}

std::string SettingsKey::readString(std::string_view name) const {
    const regfile::Value* value = find(name);
    if (!value || value->type != regfile::ValueType::Sz)
        throw SettingsError("invalid data type for '" + std::string(name) + "'");
    return value->text;
}

void SettingsKey::writeInteger(std::string_view name, int32_t value) {
    regfile::Value& v = slot(name);
    v.type = regfile::ValueType::Dword;
    v.dword = static_cast<uint32_t>(value);
    v.text.clear();
}

void SettingsKey::writeString(std::string_view name, std::string_view text) {
    // A stored text ends at its first NUL. Line breaks are kept as they are:
    // the reader takes a quoted text across lines.
    text = text.substr(0, text.find('\0'));
    regfile::Value& v = slot(name);
    v.type = regfile::ValueType::Sz;
    v.dword = 0;
    v.text = std::string(text);
}

bool SettingsKey::commit() {
    if (!open_) return false;
    TempFile temp(folder_);
    if (!temp.valid() || !temp.writeAndSync(regfile::serialize(file_))) return false;
    if (keepBadFile_) {
        if (::rename(filePath().c_str(), (filePath() + ".bad").c_str()) != 0 && errno != ENOENT)
            return false;
        keepBadFile_ = false;
    }
    if (!temp.renameTo(filePath())) return false;
    syncFolder(folder_);
    return true;
}

void loadSettings(const std::string& folder) {
    ScanBaudRate = LineSettings[DefaultLineSettingIndex];
    ScanBaudRateNo = DefaultLineSettingIndex;
    ScanCommNo = 0;
    LanguageFlag = "English";
    LanguageNo = 0;
    ScanCardID = "00000000";
    try {
        SettingsKey key(folder);
        if (key.open()) {
            ScanCommNo = key.valueExists("ScanCommNo") ? key.readInteger("ScanCommNo") : 0;
            ScanBaudRate = key.valueExists("ScanBaudRate") ? key.readString("ScanBaudRate")
                                                           : std::string(LineSettings[DefaultLineSettingIndex]);
            ScanBaudRateNo = key.valueExists("ScanBaudRateNo") ? key.readInteger("ScanBaudRateNo")
                                                               : DefaultLineSettingIndex;
            ScanCardID = key.valueExists("ScanCardID") ? key.readString("ScanCardID")
                                                       : std::string("00000000");
            if (key.valueExists("LanguageFlag")) {
                LanguageFlag = key.readString("LanguageFlag");
                LanguageNo = 0;
                if (LanguageFlag == "ChineseGB") LanguageNo = 1;
                if (LanguageFlag == "ChineseBIG5") LanguageNo = 2;
            } else {
                LanguageFlag = "English";
                LanguageNo = 0;
            }
        }
    } catch (...) {
        // A value of the wrong type ends the load; what was read stays.
    }
    // Every user of the index expects one of the twelve settings: the list
    // selection, the locked scan and the module baud rate change.
    if (ScanBaudRateNo < 0 || ScanBaudRateNo >= LineSettingsCount) {
        ScanBaudRateNo = DefaultLineSettingIndex;
        ScanBaudRate = LineSettings[DefaultLineSettingIndex];
    }
}

namespace {

template <typename Write>
void save(const std::string& folder, Write write) {
    try {
        SettingsKey key(folder);
        if (!key.openOrCreate()) return;
        write(key);
        key.commit();
    } catch (...) {
        // A store that cannot be written is never reported.
    }
}

} // namespace

void saveScanSettings(const std::string& folder) {
    save(folder, [](SettingsKey& key) {
        key.writeInteger("ScanCommNo", ScanCommNo);
        key.writeInteger("ScanBaudRateNo", ScanBaudRateNo);
        key.writeString("ScanBaudRate", ScanBaudRate);
    });
}

void saveCardID(const std::string& folder) {
    save(folder, [](SettingsKey& key) { key.writeString("ScanCardID", ScanCardID); });
}

void saveLanguage(const std::string& folder) {
    save(folder, [](SettingsKey& key) { key.writeString("LanguageFlag", LanguageFlag); });
}
