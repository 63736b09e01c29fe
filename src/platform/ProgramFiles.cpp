// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProgramFiles.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace tallyvane {

std::string ExecutableFolder()
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : executable.parent_path().string();
}

std::vector<std::string> ModuleCandidates(const std::string& executableFolder, const std::string& name)
{
    if (executableFolder.empty())
        return {};
    const std::filesystem::path folder(executableFolder);
    return {(folder / name).string(), (folder.parent_path() / "lib" / "tallyvane" / name).string()};
}

void* LoadModuleFunction(const std::vector<std::string>& candidates, const char* entry, std::string& error)
{
    for (const std::string& path : candidates) {
        if (::access(path.c_str(), F_OK) != 0)
            continue;
        void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        void* function = module ? ::dlsym(module, entry) : nullptr;
        if (!function) {
            const char* reason = ::dlerror();
            error = reason ? reason : path + ": no " + entry;
        }
        return function;
    }
    error = "not found";
    for (const std::string& path : candidates)
        error += (path == candidates.front() ? ": " : ", ") + path;
    return nullptr;
}

} // namespace tallyvane
