// What the fuzz targets share: a scratch folder per process and the plot reader on bytes.
#pragma once

#include "survey/PlotArray.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace lumora::fuzz {

// A folder of this process under the system's temporary folder, emptied by Clear() and removed
// when the process ends normally.
class TScratchFolder {
public:
    TScratchFolder();
    ~TScratchFolder();
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;
    std::string File(const std::string& name) const { return m_Path + "/" + name; }
    void Clear() const;

private:
    std::string m_Path;
};

// The process's scratch folder.
const TScratchFolder& Scratch();

// Writes bytes to the file (replacing it).
void WriteBytes(const std::string& fileName, const std::uint8_t* data, std::size_t size);

// Loads bytes as a plot file into plot (through a file in memory, never on disk). True when the
// reader kept a model: it loaded, or stopped on an error or ran out of memory keeping what it read.
bool LoadPlotBytes(const std::uint8_t* data, std::size_t size, survey::TPlotData& plot);

} // namespace lumora::fuzz
