// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer's entry: run as ini_text_fuzzer -max_total_time=600 CORPUS_COPY tests/fuzz/corpus/ini
#include "IniTextFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return tallyvane::fuzz::IniTextOneInput(data, size);
}
