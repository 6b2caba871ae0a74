// A preload library for tests: close() of a file whose path ends with $LUMORA_FAIL_CLOSE fails
// with EIO (after really closing it), as a file system that reports a lost write on close does.
// A pattern ending in '*' matches any path that holds the text before the '*'.
#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <unistd.h>

extern "C" int close(int fd) {
    using TClose = int (*)(int);
    static const TClose realClose = reinterpret_cast<TClose>(::dlsym(RTLD_NEXT, "close"));
    const char* pattern = std::getenv("LUMORA_FAIL_CLOSE");
    bool fail = false;
    if (pattern && *pattern) {
        char path[4096];
        const std::string link = "/proc/self/fd/" + std::to_string(fd);
        const ssize_t n = ::readlink(link.c_str(), path, sizeof path - 1);
        if (n > 0) {
            const std::string file(path, static_cast<std::size_t>(n));
            std::string text = pattern;
            if (text.back() == '*') {
                text.pop_back();
                fail = file.find(text) != std::string::npos;
            } else {
                fail = file.size() >= text.size() &&
                       file.compare(file.size() - text.size(), text.size(), text) == 0;
            }
        }
    }
    const int result = realClose(fd);
    if (fail) {
        errno = EIO;
        return -1;
    }
    return result;
}
