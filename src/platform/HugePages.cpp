#include "platform/HugePages.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace lumora::platform {

namespace {

constexpr const char* kTunable = "glibc.malloc.hugetlb=1";

bool HugePagesOnRequest() {
    std::ifstream setting("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string text;
    std::getline(setting, text);
    return text.find("[madvise]") != std::string::npos;
}

} // namespace

void PreferHugePages(char** argv) {
    if (std::getenv("LUMORA_NO_HUGE_PAGES") || !HugePagesOnRequest())
        return;
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    const std::string current = tunables ? tunables : "";
    if (current.find("glibc.malloc.hugetlb") != std::string::npos)
        return; // already asked (or deliberately set otherwise)
    const std::string wanted = current.empty() ? kTunable : current + ":" + kTunable;
    if (::setenv("GLIBC_TUNABLES", wanted.c_str(), 1) != 0)
        return;
    ::execv("/proc/self/exe", argv);
    // The restart failed: go on as we are, without the setting in our children's environment.
    if (tunables)
        ::setenv("GLIBC_TUNABLES", tunables, 1);
    else
        ::unsetenv("GLIBC_TUNABLES");
}

} // namespace lumora::platform
