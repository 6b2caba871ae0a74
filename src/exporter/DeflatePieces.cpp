#include "exporter/DeflatePieces.h"

#include "platform/Error.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <libdeflate.h>

namespace lumora::exporter {

namespace {

// The bits of a raw deflate stream, read least significant first as deflate packs them. Reads past
// the end give zero bits; Overrun() tells.
class TBitReader {
public:
    explicit TBitReader(std::string_view data) : m_Data(data) {}
    std::uint64_t Position() const { return m_Pos; }
    bool Overrun() const { return m_Pos > std::uint64_t{m_Data.size()} * 8; }
    // At least the next 56 bits, the next one lowest.
    std::uint64_t Peek() const {
        const std::size_t at = static_cast<std::size_t>(m_Pos >> 3);
        std::uint64_t bits = 0;
        if (at + 8 <= m_Data.size())
            std::memcpy(&bits, m_Data.data() + at, 8);
        else if (at < m_Data.size())
            std::memcpy(&bits, m_Data.data() + at, m_Data.size() - at);
        return le64toh(bits) >> (m_Pos & 7);
    }
    void Skip(unsigned count) { m_Pos += count; }
    std::uint32_t Take(unsigned count) {
        const auto value = static_cast<std::uint32_t>(Peek() & ((std::uint64_t{1} << count) - 1));
        m_Pos += count;
        return value;
    }
    void AlignToByte() { m_Pos = (m_Pos + 7) & ~std::uint64_t{7}; }

private:
    std::string_view m_Data;
    std::uint64_t m_Pos = 0;
};

constexpr unsigned kMaxCodeBits = 15;
constexpr unsigned kFastBits = 10;
constexpr int kEndOfBlock = 256;
// Extra bits after each literal/length symbol: lengths 257 to 285 have some.
constexpr std::array<std::uint8_t, 288> kLengthExtraBits = [] {
    std::array<std::uint8_t, 288> bits{};
    for (unsigned s = 265; s < 285; ++s)
        bits[s] = static_cast<std::uint8_t>((s - 261) / 4);
    return bits;
}();
constexpr std::uint8_t kDistanceExtraBits[30] = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                 4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// A canonical Huffman code whose symbols may be followed by extra bits. A table on the next
// kFastBits bits serves the short codes (symbol << 5 | code and extra bits, 0 for a longer code);
// the counts and sorted symbols serve the long ones.
struct THuffmanCode {
    std::array<std::uint16_t, 1u << kFastBits> Fast{};
    std::array<std::uint16_t, kMaxCodeBits + 1> Count{};
    std::array<std::uint16_t, 288> Symbol{};
    const std::uint8_t* ExtraBits = nullptr; // per symbol, or none

    // False for an over-subscribed set of lengths (not a code at all).
    bool Build(const std::uint8_t* lengths, unsigned symbols, const std::uint8_t* extraBits) {
        ExtraBits = extraBits;
        Count.fill(0);
        Fast.fill(0);
        for (unsigned s = 0; s < symbols; ++s)
            ++Count[lengths[s]];
        Count[0] = 0;
        std::array<std::uint16_t, kMaxCodeBits + 2> offset{};
        std::array<unsigned, kMaxCodeBits + 1> nextCode{};
        int left = 1;
        for (unsigned len = 1; len <= kMaxCodeBits; ++len) {
            left = left * 2 - Count[len];
            if (left < 0)
                return false;
            offset[len + 1] = static_cast<std::uint16_t>(offset[len] + Count[len]);
            nextCode[len] = len == 1 ? 0 : (nextCode[len - 1] + Count[len - 1]) << 1;
        }
        for (unsigned s = 0; s < symbols; ++s) {
            const unsigned len = lengths[s];
            if (len == 0)
                continue;
            Symbol[offset[len]++] = static_cast<std::uint16_t>(s);
            const unsigned code = nextCode[len]++;
            if (len > kFastBits)
                continue;
            unsigned reversed = 0; // codes are packed from their most significant bit
            for (unsigned b = 0; b < len; ++b)
                reversed |= ((code >> b) & 1u) << (len - 1 - b);
            const unsigned bits = len + (ExtraBits != nullptr ? ExtraBits[s] : 0);
            for (unsigned i = reversed; i < Fast.size(); i += 1u << len)
                Fast[i] = static_cast<std::uint16_t>(s << 5 | bits);
        }
        return true;
    }

    // The next symbol, its code and extra bits skipped; -1 for bits that are no code.
    int Decode(TBitReader& r) const {
        if (const std::uint16_t entry = Fast[r.Peek() & (Fast.size() - 1)]; entry != 0) {
            r.Skip(entry & 31);
            return entry >> 5;
        }
        int code = 0;
        int first = 0;
        int index = 0;
        for (unsigned len = 1; len <= kMaxCodeBits; ++len) {
            code |= static_cast<int>(r.Take(1));
            const int count = Count[len];
            if (code - count < first) {
                const int symbol = Symbol[static_cast<std::size_t>(index + code - first)];
                r.Skip(ExtraBits != nullptr ? ExtraBits[symbol] : 0);
                return symbol;
            }
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        return -1;
    }
};

[[noreturn]] void BadStream() {
    throw Error("the compressor wrote a deflate stream that cannot be read back");
}

// Reads the code lengths of a dynamic block's header into lengths: the literal/length code's at 0,
// the distance code's at 288.
void ReadDynamicLengths(TBitReader& r, std::array<std::uint8_t, 320>& lengths) {
    static constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                11, 4,  12, 3, 13, 2, 14, 1, 15};
    const unsigned literals = r.Take(5) + 257;
    const unsigned distances = r.Take(5) + 1;
    const unsigned lengthCodes = r.Take(4) + 4;
    std::uint8_t codeLengths[19]{};
    for (unsigned i = 0; i < lengthCodes; ++i)
        codeLengths[kOrder[i]] = static_cast<std::uint8_t>(r.Take(3));
    THuffmanCode lengthCode;
    if (!lengthCode.Build(codeLengths, 19, nullptr))
        BadStream();
    std::uint8_t read[320]{};
    for (unsigned i = 0; i < literals + distances;) {
        const int symbol = lengthCode.Decode(r);
        if (symbol < 0 || (symbol == 16 && i == 0))
            BadStream();
        if (symbol < 16) {
            read[i++] = static_cast<std::uint8_t>(symbol);
            continue;
        }
        const std::uint8_t value = symbol == 16 ? read[i - 1] : 0;
        unsigned repeat = symbol == 16   ? 3 + r.Take(2)
                          : symbol == 17 ? 3 + r.Take(3)
                                         : 11 + r.Take(7);
        if (i + repeat > literals + distances)
            BadStream();
        while (repeat-- > 0)
            read[i++] = value;
    }
    lengths.fill(0);
    std::memcpy(lengths.data(), read, literals);
    std::memcpy(lengths.data() + 288, read + literals, distances);
}

// Walks the codes of one compressed block up to its end-of-block code, decoding but producing
// nothing.
void SkipCompressedBlock(TBitReader& r, const THuffmanCode& literals,
                         const THuffmanCode& distances) {
    for (;;) {
        if (r.Overrun())
            BadStream();
        const int symbol = literals.Decode(r);
        if (symbol < kEndOfBlock) {
            if (symbol < 0)
                BadStream();
            continue;
        }
        if (symbol == kEndOfBlock)
            return;
        const int distance = distances.Decode(r);
        if (symbol > 285 || distance < 0 || distance >= 30)
            BadStream();
    }
}

// Where the final block of a whole raw deflate stream begins and where that block ends, in bits
// from the start. libdeflate does not tell, so the stream's blocks are walked.
struct TFinalBlock {
    std::uint64_t HeaderBit = 0;
    std::uint64_t EndBit = 0;
};

TFinalBlock FindFinalBlock(std::string_view stream) {
    TBitReader r(stream);
    THuffmanCode literals;
    THuffmanCode distances;
    for (;;) {
        const std::uint64_t header = r.Position();
        const bool final = r.Take(1) != 0;
        const unsigned type = r.Take(2);
        if (type == 0) {
            r.AlignToByte();
            const std::uint32_t length = r.Take(16);
            if ((r.Take(16) ^ 0xFFFFu) != length)
                BadStream();
            r.Skip(length * 8);
        } else if (type == 1 || type == 2) {
            std::array<std::uint8_t, 320> lengths{};
            if (type == 1) {
                for (unsigned s = 0; s < 288; ++s)
                    lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
                std::fill(lengths.begin() + 288, lengths.end(), 5);
            } else {
                ReadDynamicLengths(r, lengths);
            }
            if (!literals.Build(lengths.data(), 288, kLengthExtraBits.data()) ||
                !distances.Build(lengths.data() + 288, 30, kDistanceExtraBits))
                BadStream();
            SkipCompressedBlock(r, literals, distances);
        } else {
            BadStream();
        }
        if (r.Overrun())
            BadStream();
        if (final)
            return {header, r.Position()};
    }
}

// Makes a whole raw deflate stream the first part of a longer one: its final block becomes an
// ordinary block, followed by an empty stored block (3 header bits, padding to a byte, length 0
// and its complement), so the stream ends on a byte boundary where the next part begins.
void EndWithoutFinalBlock(std::string& stream) {
    const TFinalBlock block = FindFinalBlock(stream);
    stream[block.HeaderBit / 8] =
        static_cast<char>(stream[block.HeaderBit / 8] & ~(1 << block.HeaderBit % 8));
    stream.resize(static_cast<std::size_t>((block.EndBit + 7) / 8));
    const unsigned used = block.EndBit % 8; // bits of the last byte in use
    if (used != 0)
        stream.back() = static_cast<char>(stream.back() & ((1 << used) - 1));
    if (used == 0 || used > 5)
        stream.push_back('\0'); // the header's 3 zero bits do not fit in what is left
    stream.append("\0\0\xFF\xFF", 4);
}

} // namespace

TPieceDeflater::TPieceDeflater(int level) : m_Compressor(libdeflate_alloc_compressor(level)) {
    if (m_Compressor == nullptr)
        throw Error("cannot start the compression at level " + std::to_string(level));
}

TPieceDeflater::~TPieceDeflater() {
    libdeflate_free_compressor(m_Compressor);
}

std::string TPieceDeflater::Deflate(std::string_view piece, bool last,
                                    const std::string& fileName) {
    // Deflated into a buffer kept from piece to piece: a fresh one of the worst-case size for
    // every piece cost more time in page faults than the deflate itself.
    const std::size_t bound = libdeflate_deflate_compress_bound(m_Compressor, piece.size());
    if (m_Buffer.size() < bound)
        m_Buffer.resize(bound);
    const std::size_t size = libdeflate_deflate_compress(m_Compressor, piece.data(), piece.size(),
                                                         m_Buffer.data(), m_Buffer.size());
    if (size == 0)
        throw Error(fileName + ": compression failed");
    std::string out(m_Buffer.data(), size);
    if (!last) {
        try {
            EndWithoutFinalBlock(out);
        } catch (const Error& e) {
            throw Error(fileName + ": " + e.what());
        }
    }
    return out;
}

} // namespace lumora::exporter
