// SPDX-License-Identifier: GPL-3.0-or-later
// Linked into every test program of a sanitizer build: LeakSanitizer asks for its options here
// before it reads the environment, so the suppressions apply however the test is started.
extern "C" const char* __lsan_default_options()
{
    return "suppressions=" TALLYVANE_LSAN_SUPPRESSIONS ":print_suppressions=0";
}
