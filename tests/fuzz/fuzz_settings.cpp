// Feeds arbitrary text to the settings file parser. Whatever it accepts must
// survive a write and a read unchanged, and whatever it writes it must read.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/settings_store.h"

namespace {

[[noreturn]] void fail(const char* what, std::string_view text) {
    std::fprintf(stderr, "invariant broken: %s\n--- text ---\n%.*s\n", what, static_cast<int>(text.size()),
                 text.data());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = regfile::parse(text);
    if (!parsed) return 0;

    const std::string written = regfile::serialize(*parsed);
    const auto reread = regfile::parse(written);
    if (!reread) fail("written file does not parse", written);
    if (*reread != *parsed) fail("written file reads back different", written);
    // Writing is deterministic: the same content gives the same text.
    if (regfile::serialize(*reread) != written) fail("second write differs", written);

    // What the parser promises about what it hands out: keys and names unique
    // case-insensitively, key paths free of brackets.
    for (std::size_t k = 0; k < parsed->size(); ++k) {
        const regfile::Key& key = (*parsed)[k];
        if (key.path.empty() || key.path.find_first_of("[]") != std::string::npos) fail("bad key path", text);
        for (std::size_t j = k + 1; j < parsed->size(); ++j)
            if (regfile::sameName(key.path, (*parsed)[j].path)) fail("key listed twice", text);
        for (std::size_t v = 0; v < key.values.size(); ++v)
            for (std::size_t w = v + 1; w < key.values.size(); ++w)
                if (regfile::sameName(key.values[v].name, key.values[w].name)) fail("value listed twice", text);
    }
    return 0;
}
