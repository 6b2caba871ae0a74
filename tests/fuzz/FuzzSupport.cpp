#include "FuzzSupport.h"

#include "platform/Error.h"
#include "platform/UiServices.h"
#include "survey/PlotReader.h"

#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/mman.h>
#include <unistd.h>

namespace lumora::fuzz {

TScratchFolder::TScratchFolder()
    : m_Path(
          (std::filesystem::temp_directory_path() / ("lumora-fuzz-" + std::to_string(::getpid())))
              .string()) {
    std::filesystem::create_directories(m_Path);
}

TScratchFolder::~TScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_Path, ignored);
}

void TScratchFolder::Clear() const {
    for (const auto& entry : std::filesystem::directory_iterator(m_Path))
        std::filesystem::remove_all(entry.path());
}

const TScratchFolder& Scratch() {
    static const TScratchFolder folder;
    return folder;
}

namespace {

void WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0)
            throw std::runtime_error("cannot write the fuzz input");
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

} // namespace

void WriteBytes(const std::string& fileName, const std::uint8_t* data, std::size_t size) {
    const int fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error(fileName + ": cannot write the fuzz input");
    WriteAll(fd, data, size);
    ::close(fd);
}

bool LoadPlotBytes(const std::uint8_t* data, std::size_t size, survey::TPlotData& plot) {
    // The reader takes a file name: a file in memory, reached through the process's descriptors.
    const int fd = ::memfd_create("fuzz.plt", MFD_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("memfd_create failed");
    WriteAll(fd, data, size);
    SilentUi ui;
    bool kept = true;
    try {
        survey::LoadPlotFile(plot, "/proc/self/fd/" + std::to_string(fd), {}, ui);
    } catch (const PlotFileError&) {
        kept = plot.Shots.Count() > 0;
    }
    ::close(fd);
    return kept;
}

} // namespace lumora::fuzz
