// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniTextFuzz.h"

#include "platform/IniText.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace tallyvane::fuzz {
namespace {

struct Name {
    std::string_view section;
    std::string_view key;
};

// Names the fuzzer finds in the seeds or by comparing, different from each other in any case.
constexpr std::array<Name, 9> Probes{{
    {"s", "k"},
    {"s", "c1"},
    {"s", "n"},
    {"t", "k"},
    {"t", "c1"},
    {"t", "n"},
    {"new", "k"},
    {"new", "c1"},
    {"new", "n"},
}};

constexpr std::string_view Written = "v 1";

void check(bool holds, const char* what, const Name& write, const Name& probe)
{
    if (holds)
        return;
    std::fprintf(stderr, "settings text: %s (writing [%.*s] %.*s, reading [%.*s] %.*s)\n", what,
                 static_cast<int>(write.section.size()), write.section.data(), static_cast<int>(write.key.size()),
                 write.key.data(), static_cast<int>(probe.section.size()), probe.section.data(),
                 static_cast<int>(probe.key.size()), probe.key.data());
    std::abort();
}

std::array<std::optional<std::string>, Probes.size()> valuesOf(const IniText& ini)
{
    std::array<std::optional<std::string>, Probes.size()> values;
    for (std::size_t i = 0; i < Probes.size(); ++i) {
        if (const std::optional<std::string_view> value = ini.value(Probes[i].section, Probes[i].key))
            values[i] = std::string(*value);
    }
    return values;
}

} // namespace

int IniTextOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const IniText original(text);
    check(original.text() == text, "the text changed on reading", Probes[0], Probes[0]);
    const auto before = valuesOf(original);

    for (std::size_t w = 0; w < Probes.size(); ++w) {
        IniText edited(text);
        edited.setValue(Probes[w].section, Probes[w].key, Written);
        const IniText reread(edited.text());
        const auto after = valuesOf(edited);
        const auto afterRereading = valuesOf(reread);
        for (std::size_t p = 0; p < Probes.size(); ++p) {
            if (p == w)
                check(after[p] == Written, "the written value does not read back", Probes[w], Probes[p]);
            else
                check(after[p] == before[p], "another value changed", Probes[w], Probes[p]);
            check(afterRereading[p] == after[p], "the text reads differently when parsed anew", Probes[w], Probes[p]);
        }
    }
    return 0;
}

} // namespace tallyvane::fuzz
