// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/WindowPlatform.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace tallyvane {
namespace {

using Variables = std::map<std::string, std::string>;

bool availableWith(const Variables& variables)
{
    return WindowPlatformAvailable([&variables](const char* name) -> const char* {
        const auto found = variables.find(name);
        return found == variables.end() ? nullptr : found->second.c_str();
    });
}

TEST(WindowPlatform, TellsWhetherTheWindowHasSomewhereToOpen)
{
    const std::pair<Variables, bool> cases[] = {
        {{}, false},
        {{{"DISPLAY", ":0"}}, true},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, true},
        {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, false},
        {{{"QT_QPA_PLATFORM", ""}, {"DISPLAY", ":0"}}, true},
        {{{"QT_QPA_PLATFORM", "offscreen"}}, true},
        {{{"QT_QPA_PLATFORM", "minimal"}}, true},
        {{{"QT_QPA_PLATFORM", "vnc:size=800x600"}}, true},
        {{{"QT_QPA_PLATFORM", "xcb"}}, false},
        {{{"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", "wayland-0"}}, false},
        {{{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":1"}}, true},
        {{{"QT_QPA_PLATFORM", "wayland"}, {"DISPLAY", ":1"}}, false},
        {{{"QT_QPA_PLATFORM", "wayland-egl"}, {"WAYLAND_DISPLAY", "wayland-0"}}, true},
        {{{"QT_QPA_PLATFORM", "wayland;xcb"}, {"DISPLAY", ":1"}}, true},
        {{{"QT_QPA_PLATFORM", "wayland;xcb"}}, false},
        {{{"QT_QPA_PLATFORM", "xcb;offscreen"}}, true},
    };
    for (const auto& [variables, available] : cases)
        EXPECT_EQ(availableWith(variables), available) << ::testing::PrintToString(variables);
}

} // namespace
} // namespace tallyvane
