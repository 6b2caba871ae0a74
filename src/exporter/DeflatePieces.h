// Deflate in pieces: the pieces of one file deflated apart, on any thread, and joined in order
// into one raw deflate stream, as a zip entry holds it.
#pragma once

#include <string>
#include <string_view>

struct libdeflate_compressor;

namespace lumora::exporter {

// Deflates the pieces of a file apart (each on any thread) so that, joined in order, they form one
// raw deflate stream. Holds one libdeflate compressor: one per thread.
class TPieceDeflater {
public:
    // level on libdeflate's scale: 0 stored blocks only, 1 fastest, 6 default, 12 best. Throws
    // lumora::Error when the compressor cannot be made.
    explicit TPieceDeflater(int level);
    ~TPieceDeflater();
    TPieceDeflater(const TPieceDeflater&) = delete;
    TPieceDeflater& operator=(const TPieceDeflater&) = delete;

    // The raw deflate data of one piece, which starts with an empty window. A piece before the
    // last ends with an ordinary (non-final) block and an empty stored block on a byte boundary,
    // where the next piece begins; the last piece ends with the final block. Throws lumora::Error
    // naming fileName when the compression fails.
    std::string Deflate(std::string_view piece, bool last, const std::string& fileName);

private:
    libdeflate_compressor* m_Compressor;
    std::string m_Buffer;
};

} // namespace lumora::exporter
