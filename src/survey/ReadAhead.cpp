#include "survey/ReadAhead.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sys/stat.h>

namespace lumora::survey {

namespace {
constexpr char kCtrlZ = 26;
constexpr std::size_t kBlocks = 3;
} // namespace

TReadAhead::TReadAhead(std::FILE* file) : m_File(file), m_Blocks(kBlocks) {
    // One byte more than the file holds, so the first read already finds its end; a file that
    // grows meanwhile, or a pipe, is still read whole, a block at a time.
    struct stat info {};
    if (::fstat(::fileno(file), &info) == 0 && S_ISREG(info.st_mode))
        m_RawBlock =
            std::clamp<std::size_t>(std::size_t(info.st_size) + 1, kLeastRawBlock, kRawBlock);
    for (std::size_t i = 0; i < kBlocks; ++i) {
        // Every raw byte may become two (a bare line end turns into CR LF).
        m_Blocks[i].Buffer.resize(kFront + 2 * m_RawBlock);
        m_Free.push_back(i);
    }
    m_Thread = std::thread([this] { Run(); });
}

TReadAhead::~TReadAhead() {
    {
        std::lock_guard lock(m_Mutex);
        m_Stop = true;
    }
    m_Changed.notify_all();
    m_Thread.join();
    std::fclose(m_File);
}

TReadAhead::TBlock& TReadAhead::Next() {
    std::unique_lock lock(m_Mutex);
    if (m_Held < kBlocks)
        m_Free.push_back(m_Held);
    m_Changed.notify_all();
    m_Changed.wait(lock, [this] { return !m_Ready.empty(); });
    m_Held = m_Ready.front();
    m_Ready.pop_front();
    return m_Blocks[m_Held];
}

void TReadAhead::Run() {
    std::vector<char> raw(m_RawBlock);
    for (;;) {
        std::size_t index;
        {
            std::unique_lock lock(m_Mutex);
            m_Changed.wait(lock, [this] { return m_Stop || !m_Free.empty(); });
            if (m_Stop)
                return;
            index = m_Free.front();
            m_Free.pop_front();
        }
        TBlock& block = m_Blocks[index];
        const std::size_t got = std::fread(raw.data(), 1, m_RawBlock, m_File);
        block.Failed = got < m_RawBlock && std::ferror(m_File) != 0;
        block.Last = got < m_RawBlock;
        Translate(raw.data(), got, block);
        {
            std::lock_guard lock(m_Mutex);
            m_Ready.push_back(index);
        }
        m_Changed.notify_all();
        if (block.Last)
            return;
    }
}

// Copies the raw bytes into the block, giving every line end as CR LF and stopping at Ctrl+Z.
void TReadAhead::Translate(const char* raw, std::size_t got, TBlock& block) {
    char* out = block.Text();
    bool prevCR = m_PrevRawCR;
    for (std::size_t i = 0; i < got; ++i) {
        // Eight ordinary characters at a time: copy them when none is a control character that
        // needs a look (anything below 27: line ends, Ctrl+Z, tabs).
        while (i + 8 <= got) {
            std::uint64_t word;
            std::memcpy(&word, raw + i, 8);
            if (((word - 0x1B1B1B1B1B1B1B1BULL) & ~word & 0x8080808080808080ULL) != 0)
                break;
            std::memcpy(out, &word, 8);
            out += 8;
            i += 8;
            prevCR = false;
        }
        if (i >= got)
            break;
        const char c = raw[i];
        if (c == '\r') {
            *out++ = '\r';
            *out++ = '\n';
            prevCR = true;
            continue;
        }
        if (c == '\n') {
            if (!prevCR) {
                *out++ = '\r';
                *out++ = '\n';
            }
            prevCR = false;
            continue;
        }
        if (c == kCtrlZ) {
            block.Last = true;
            break;
        }
        *out++ = c;
        prevCR = false;
    }
    m_PrevRawCR = prevCR;
    block.Size = static_cast<std::size_t>(out - block.Text());
}

} // namespace lumora::survey
