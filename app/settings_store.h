#pragma once
// The program's five settings, kept like registry values in a REGEDIT4 text
// file, settings.reg, in the configuration folder. No Qt here: the parser is a
// pure function of the text, so that it can be fed anything.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace regfile {

// The key every value of the program lives under.
inline constexpr std::string_view ProgramKey = "HKEY_LOCAL_MACHINE\\Software\\VELDO\\QX530RM2Config";

enum class ValueType { Dword, Sz };

struct Value {
    std::string name;
    ValueType type = ValueType::Sz;
    uint32_t dword = 0;
    std::string text;
    bool operator==(const Value&) const = default;
};

struct Key {
    std::string path;             // without the brackets
    std::vector<Value> values;    // in file order, names unique (case-insensitively)
    bool operator==(const Key&) const = default;
};

using File = std::vector<Key>;

// "REGEDIT4", then [key] lines each followed by "name"=dword:XXXXXXXX or
// "name"="text" lines (\\ and \" escaped in quoted texts); blank lines and
// ;-comments anywhere. Key paths and value names compare case-insensitively; a
// later value of the same name replaces the earlier one. Anything else: nullopt.
std::optional<File> parse(std::string_view text);
std::string serialize(const File& file);

bool sameName(std::string_view a, std::string_view b);

} // namespace regfile

// Raised by a read of a missing value or of a value of another type.
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One key of settings.reg in a folder, used like a registry key: open, test,
// read, write, and commit the writes in one atomic replace of the file.
class SettingsKey {
public:
    explicit SettingsKey(std::string folder);

    // False when the file is missing, cannot be read or parsed, or lacks the key.
    bool open();
    // Opens the key, starting an empty one when the file or the key is missing
    // or unparsable. False when the folder cannot be created.
    bool openOrCreate();

    bool valueExists(std::string_view name) const;
    int32_t readInteger(std::string_view name) const;   // throws SettingsError
    std::string readString(std::string_view name) const; // throws SettingsError
    void writeInteger(std::string_view name, int32_t value);
    void writeString(std::string_view name, std::string_view text);

    // Writes the whole file to a temporary file beside it, flushes it to disk
    // and renames it over settings.reg, so a reader sees the old file or the
    // new one, never a mix. An unparsable file found by openOrCreate is first
    // kept as settings.reg.bad. False when anything failed; settings.reg is
    // then as it was.
    bool commit();

    std::string filePath() const;

private:
    const regfile::Value* find(std::string_view name) const;
    regfile::Value& slot(std::string_view name);

    std::string folder_;
    regfile::File file_;
    std::size_t key_ = 0;
    bool open_ = false;
    bool keepBadFile_ = false;
};

// The load at start-up, into the shared values of globals.h: defaults first,
// then each stored value in its fixed order; a read that fails stops the load
// there. A line-setting index outside 0..11 falls back to the default setting.
void loadSettings(const std::string& folder);
// The three saves; each keeps every other value of the file. Failures are silent.
void saveScanSettings(const std::string& folder);
void saveCardID(const std::string& folder);
void saveLanguage(const std::string& folder);
