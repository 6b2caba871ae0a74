#include "survey/ReadAhead.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace lumora::survey {
namespace {

// Everything the reader hands out, block after block.
std::string ReadAll(const std::string& path) {
    TReadAhead source(std::fopen(path.c_str(), "rb"));
    std::string text;
    for (;;) {
        TReadAhead::TBlock& block = source.Next();
        EXPECT_FALSE(block.Failed);
        text.append(block.Text(), block.Size);
        if (block.Last)
            return text;
    }
}

// Files sized around the blocks of a small file and of a big one, with bare LF line ends (each
// grows to CR LF), read back whole and in order.
TEST(ReadAhead, FilesOfEverySizeAroundItsBlocksComeBackWhole) {
    test::TempDir dir;
    const std::size_t least = TReadAhead::kLeastRawBlock, most = TReadAhead::kRawBlock;
    for (const std::size_t size : {std::size_t(0), std::size_t(1), least - 1, least, least + 1,
                                   3 * least + 7, most - 1, most, most + 1, 2 * most + 5}) {
        std::string raw, expected;
        for (std::size_t i = 0; raw.size() < size; ++i) {
            const bool lineEnd = i % 37 == 36;
            raw += lineEnd ? '\n' : char('a' + i % 26);
            expected += lineEnd ? std::string("\r\n") : std::string(1, raw.back());
        }
        const std::string path = dir.File("file" + std::to_string(size) + ".txt");
        test::WriteFile(path, raw);
        const std::string text = ReadAll(path);
        ASSERT_EQ(text.size(), expected.size()) << size;
        EXPECT_TRUE(text == expected) << size;
    }
}

// A stream that is no file on disk (no size to go by) is read in the big blocks, whole.
TEST(ReadAhead, AStreamWithoutASizeIsReadWhole) {
    std::string bytes(3 * TReadAhead::kLeastRawBlock + 11, 'x');
    std::FILE* stream = fmemopen(bytes.data(), bytes.size(), "rb");
    ASSERT_NE(stream, nullptr);
    TReadAhead source(stream);
    std::string text;
    for (bool last = false; !last;) {
        TReadAhead::TBlock& block = source.Next();
        text.append(block.Text(), block.Size);
        last = block.Last;
    }
    EXPECT_EQ(text, bytes);
}

} // namespace
} // namespace lumora::survey
