// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/WindowPlatform.h"

#include <string_view>

namespace tallyvane {
namespace {

bool isSet(const EnvironmentLookup& environment, const char* name)
{
    const char* value = environment(name);
    return value && *value;
}

// One platform of QT_QPA_PLATFORM: a name, then its parameters after a colon.
bool platformAvailable(std::string_view platform, const EnvironmentLookup& environment)
{
    const std::string_view name = platform.substr(0, platform.find(':'));
    if (name == "xcb")
        return isSet(environment, "DISPLAY");
    if (name.starts_with("wayland"))
        return isSet(environment, "WAYLAND_DISPLAY");
    return !name.empty();
}

} // namespace

bool WindowPlatformAvailable(const EnvironmentLookup& environment)
{
    const char* chosen = environment("QT_QPA_PLATFORM");
    if (!chosen || !*chosen)
        return isSet(environment, "DISPLAY") || isSet(environment, "WAYLAND_DISPLAY");
    // Several platforms separated by semicolons are tried in turn.
    std::string_view platforms = chosen;
    while (true) {
        const std::size_t end = platforms.find(';');
        if (platformAvailable(platforms.substr(0, end), environment))
            return true;
        if (end == std::string_view::npos)
            return false;
        platforms.remove_prefix(end + 1);
    }
}

} // namespace tallyvane
