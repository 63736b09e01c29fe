// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace tallyvane {

// The folder the running program's file lies in; empty when the system does not tell.
std::string ExecutableFolder();

// Where the program's module `name` may lie, in the order to try: beside the program (a build
// tree or a portable copy), then under lib/tallyvane beside the program's bin folder, where an
// installation puts it.
std::vector<std::string> ModuleCandidates(const std::string& executableFolder, const std::string& name);

// Loads the first of the candidates that exists and returns the address of its function
// `entry`. None when no candidate exists or the loader refuses, with the reason in error. The
// module stays loaded for the rest of the process.
void* LoadModuleFunction(const std::vector<std::string>& candidates, const char* entry, std::string& error);

} // namespace tallyvane
