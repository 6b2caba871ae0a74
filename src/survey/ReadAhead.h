// Reads a file ahead of its reader in a background thread, in large blocks whose line ends are
// all given as CR LF (a bare LF or a bare CR becomes CR LF) and which stop at the first Ctrl+Z.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace lumora::survey {

class TReadAhead {
public:
    // Room kept in front of every block's text, so a reader can put the unread end of the
    // previous block right before it.
    static constexpr std::size_t kFront = 4096;
    // Bytes read at a time: a megabyte, or less for a smaller file, whose blocks are then no
    // bigger than it (a small file is read often, by the tests and the fuzzers).
    static constexpr std::size_t kRawBlock = 1 << 20;
    static constexpr std::size_t kLeastRawBlock = 4096;

    struct TBlock {
        std::vector<char> Buffer; // kFront bytes of room, then the text
        std::size_t Size = 0;     // bytes of text
        bool Last = false;        // no block follows
        bool Failed = false;      // the file could not be read
        char* Text() { return Buffer.data() + kFront; }
    };

    // Takes over the open file (closes it when done) and starts reading.
    explicit TReadAhead(std::FILE* file);
    ~TReadAhead();
    TReadAhead(const TReadAhead&) = delete;
    TReadAhead& operator=(const TReadAhead&) = delete;

    // The next block, waiting for it if need be; hands back the block taken before.
    TBlock& Next();

private:
    void Run();
    void Translate(const char* raw, std::size_t got, TBlock& block);

    std::FILE* m_File;
    std::size_t m_RawBlock = kRawBlock;
    bool m_PrevRawCR = false;
    std::vector<TBlock> m_Blocks; // three: one with the reader, up to two read ahead
    std::deque<std::size_t> m_Free;
    std::deque<std::size_t> m_Ready;
    std::size_t m_Held = static_cast<std::size_t>(-1); // the block the reader holds
    bool m_Stop = false;
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::thread m_Thread;
};

} // namespace lumora::survey
