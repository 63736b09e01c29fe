// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FileText.h"

#include <fstream>
#include <sstream>

namespace tallyvane::test {

std::string ReadFileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFileText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace tallyvane::test
