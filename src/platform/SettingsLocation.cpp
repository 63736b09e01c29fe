// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SettingsLocation.h"

#include "platform/ProgramFiles.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace tallyvane {
namespace {

std::string joined(const std::string& folder, const std::string& name)
{
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string homeFolder()
{
    std::string home = variable("HOME");
    if (!home.empty())
        return home;
    std::vector<char> buffer(16384);
    passwd entry;
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return found->pw_dir;
    return "/";
}

} // namespace

std::string ChooseSettingsPath(const SettingsSurroundings& surroundings)
{
    if (!surroundings.iniVariable.empty())
        return surroundings.iniVariable;
    if (!surroundings.executableFolder.empty() && surroundings.fileBesideExecutable)
        return joined(surroundings.executableFolder, SettingsFileName);
    const std::string configHome =
        surroundings.configHome.starts_with('/') ? surroundings.configHome : joined(surroundings.home, ".config");
    return joined(joined(configHome, "tallyvane"), SettingsFileName);
}

SettingsSurroundings InspectSettingsSurroundings()
{
    SettingsSurroundings surroundings;
    surroundings.iniVariable = variable("TALLYVANE_INI");
    if (!surroundings.iniVariable.empty()) {
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(surroundings.iniVariable, error);
        if (!error)
            surroundings.iniVariable = absolute.string();
    }
    surroundings.configHome = variable("XDG_CONFIG_HOME");
    surroundings.home = homeFolder();
    surroundings.executableFolder = ExecutableFolder();
    if (!surroundings.executableFolder.empty()) {
        const std::string besideExecutable = joined(surroundings.executableFolder, SettingsFileName);
        surroundings.fileBesideExecutable = ::access(besideExecutable.c_str(), F_OK) == 0;
    }
    return surroundings;
}

} // namespace tallyvane
