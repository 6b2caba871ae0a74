// What a soak test watches in its own process: resident memory and the open files.
#pragma once

#include <map>
#include <string>

namespace lumora::test {

// VmRSS of /proc/self/status, in kB.
long ResidentKb();

// The process's open file descriptors (/proc/self/fd) and what each is open on.
std::map<int, std::string> OpenFiles();

// The entries of after that before lacks, one "fd -> target" a line; entries open on ignored
// are left out.
std::string NewEntries(const std::map<int, std::string>& before,
                       const std::map<int, std::string>& after, const std::string& ignored = "");

} // namespace lumora::test
