// The restart that asks for huge pages: it happens once, keeps the arguments, and the big
// arrays of the restarted program really sit on huge pages.
#include "platform/HugePages.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace lumora::platform {
namespace {

std::vector<std::string> OwnArguments() {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::vector<std::string> args;
    std::string arg;
    while (std::getline(in, arg, '\0'))
        args.push_back(arg);
    return args;
}

long AnonHugePagesKb() {
    std::ifstream in("/proc/self/smaps_rollup");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("AnonHugePages:", 0) == 0)
            return std::stol(line.substr(14));
    return -1;
}

bool KernelGivesHugePagesOnRequest() {
    std::ifstream in("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string text;
    std::getline(in, text);
    return text.find("[madvise]") != std::string::npos;
}

TEST(HugePages, TheProgramRestartsOnceAskingForThemAndGetsThem) {
    if (!KernelGivesHugePagesOnRequest())
        LUMORA_SKIP_OR_FAIL_IN_CI("the kernel gives no huge pages on request here");
    test::EnvScope none("LUMORA_NO_HUGE_PAGES", std::nullopt);
    const std::vector<std::string> before = OwnArguments();
    std::vector<char*> argv;
    for (const std::string& arg : before)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    // The first run restarts here (and this test starts again); the restarted run goes on.
    PreferHugePages(argv.data());
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    ASSERT_NE(tunables, nullptr);
    EXPECT_NE(std::string(tunables).find("glibc.malloc.hugetlb=1"), std::string::npos);
    EXPECT_EQ(OwnArguments(), before);
    // A 64 MB array, touched, lies largely on huge pages.
    std::vector<char> big(64 << 20);
    for (std::size_t i = 0; i < big.size(); i += 4096)
        big[i] = 1;
    EXPECT_GE(AnonHugePagesKb(), 32 << 10) << "huge pages in use: " << AnonHugePagesKb() << " kB";
}

} // namespace
} // namespace lumora::platform
