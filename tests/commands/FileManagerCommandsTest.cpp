// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/FileManagerCommands.h"

#include "support/FixtureTree.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tallyvane {
namespace {

namespace fs = std::filesystem;
using test::FixtureTree;

TEST(FileManagerCommandsTest, TheButtonsReportWithTheWindowsMessages)
{
    FixtureTree home;
    FixtureTree blockedHome;
    blockedHome.makeFile("applications", 1); // a file where the entries' folder belongs
    FileManagerIntegration integration(home.path());
    FileManagerIntegration blocked(blockedHome.path());
    const QString caption = QStringLiteral("Tallyvane [Vantori]");
    const std::string executable = "/opt/tally vane/bin/tallyvane";
    const std::string script = home.pathOf("nautilus/scripts/Tallyvane [Vantori]");

    const RegistrationMessage registered = RegisterFileManagerEntries(integration, caption, executable);
    EXPECT_EQ(registered.text, QStringLiteral("系统右键菜单已注册！"));
    EXPECT_FALSE(registered.failure);
    EXPECT_TRUE(fs::exists(script));

    const RegistrationMessage notRegistered = RegisterFileManagerEntries(blocked, caption, executable);
    EXPECT_EQ(notRegistered.text, QStringLiteral("系统右键菜单注册失败！"));
    EXPECT_TRUE(notRegistered.failure);

    const RegistrationMessage removed = UnregisterFileManagerEntries(integration);
    EXPECT_EQ(removed.text, QStringLiteral("系统右键菜单已删除！"));
    EXPECT_FALSE(removed.failure);
    EXPECT_FALSE(fs::exists(script));

    fs::remove(blockedHome.pathOf("applications"));
    fs::create_directories(blockedHome.pathOf("applications/tallyvane-folder.desktop"));
    const RegistrationMessage notRemoved = UnregisterFileManagerEntries(blocked);
    EXPECT_EQ(notRemoved.text, QStringLiteral("系统右键菜单删除失败！"));
    EXPECT_TRUE(notRemoved.failure);
}

} // namespace
} // namespace tallyvane
