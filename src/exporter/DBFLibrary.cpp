#include "exporter/DBFLibrary.h"

#include "exporter/BinaryFile.h"
#include "platform/Error.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>

namespace lumora::exporter {

namespace {

constexpr std::uint8_t kDBaseIII = 3;
constexpr std::uint8_t kAnsiLanguageDriver = 0x57;
constexpr char kEndOfDescriptors = 0x0D;
constexpr char kEndOfFile = 0x1A;
constexpr char kLiveRow = 0x20;

void PutUInt16LE(std::array<std::uint8_t, 32>& a, int at, std::uint32_t v) {
    a[at] = static_cast<std::uint8_t>(v);
    a[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void PutUInt32LE(std::array<std::uint8_t, 32>& a, int at, std::uint32_t v) {
    PutUInt16LE(a, at, v & 0xFFFF);
    PutUInt16LE(a, at + 2, v >> 16);
}

// Fixed-point text without a sign on a value that rounds to zero ("0.00", never "-0.00").
std::string_view FixedText(char (&buffer)[400], double value, int decimals) {
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    if (result.ec != std::errc())
        text = "0";
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string_view::npos)
        text.remove_prefix(1);
    return text;
}

} // namespace

void FormatNumericField(char* out, double value, int width, int decimals) {
    char buffer[400];
    std::string_view text = FixedText(buffer, value, decimals);
    text = text.substr(0, static_cast<std::size_t>(width));
    const std::size_t pad = static_cast<std::size_t>(width) - text.size();
    std::memset(out, ' ', pad);
    std::memcpy(out + pad, text.data(), text.size());
}

std::string FormatNumericField(double value, int width, int decimals) {
    std::string text(static_cast<std::size_t>(width), ' ');
    FormatNumericField(text.data(), value, width, decimals);
    return text;
}

TDBFWriter::TDBFWriter() {
    Reset();
}

void TDBFWriter::Reset() {
    m_Header.fill(0);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    m_Header[0] = kDBaseIII;
    // The format counts the year from 1900 (126 for 2026); a year modulo 100 reads as 1926.
    m_Header[1] = static_cast<std::uint8_t>(std::clamp(local.tm_year, 0, 255));
    m_Header[2] = static_cast<std::uint8_t>(local.tm_mon + 1);
    m_Header[3] = static_cast<std::uint8_t>(local.tm_mday);
    m_Header[29] = kAnsiLanguageDriver;
    m_Fields.clear();
    m_Rows.clear();
    m_RowCount = 0;
    m_Stream.reset();
}

void TDBFWriter::AddField(std::string_view name, char type, std::uint8_t width,
                          std::uint8_t decimals) {
    if (FieldCount() >= kMaxFields)
        throw Error("Too many fields in a table: at most 128");
    if (m_RowCount > 0)
        throw Error("Fields must be declared before the first row");
    if (type != 'C' && type != 'N')
        throw Error(std::string("Unknown field type '") + type + "'");
    TField field{};
    field.Descriptor.fill(0);
    for (std::size_t i = 0; i < name.size() && i < 11; ++i)
        field.Descriptor[i] = static_cast<std::uint8_t>(name[i]);
    field.Descriptor[11] = static_cast<std::uint8_t>(type);
    field.Descriptor[16] = width;
    field.Descriptor[17] = decimals;
    m_Fields.push_back(field);
    m_Values[m_Fields.size() - 1].assign(width, ' ');
}

const TDBFWriter::TField& TDBFWriter::CheckedField(int field, char type) const {
    if (field < 0 || field >= FieldCount())
        throw Error("No field " + std::to_string(field) + " in the table");
    const TField& f = m_Fields[field];
    if (type != 0 && f.Type() != type)
        throw Error("Field Mismatch");
    return f;
}

void TDBFWriter::SetString(int field, std::string_view text) {
    const std::size_t width = CheckedField(field, 'C').Width();
    std::string& value = m_Values[field];
    value.assign(text.substr(0, width));
    value.append(width - value.size(), ' ');
}

void TDBFWriter::SetNumber(int field, double value) {
    const TField& f = CheckedField(field, 'N');
    if (!std::isfinite(value)) {
        SetNull(field);
        return;
    }
    std::string& text = m_Values[field];
    text.resize(f.Width());
    FormatNumericField(text.data(), value, f.Width(), f.Decimals());
}

void TDBFWriter::SetNull(int field) {
    m_Values[field].assign(CheckedField(field, 0).Width(), '*');
}

void TDBFWriter::CommitRecord() {
    if (m_Stream) {
        char* const row = m_Stream->Claim(1 + RowWidth());
        char* out = row;
        *out++ = kLiveRow;
        for (int i = 0; i < FieldCount(); ++i)
            out = std::copy(m_Values[i].begin(), m_Values[i].end(), out);
        m_Stream->Commit(static_cast<std::size_t>(out - row));
    } else {
        for (int i = 0; i < FieldCount(); ++i)
            m_Rows += m_Values[i];
    }
    ++m_RowCount;
}

void TDBFWriter::StreamRowsTo(const std::string& fileName) {
    if (m_RowCount > 0)
        throw Error(fileName + ": a table can only be streamed before its first row");
    m_Stream = std::make_unique<TBinaryFile>(fileName, TBinaryFile::TMode::InPlace);
    m_Stream->Write(HeaderBytes());
}

std::size_t TDBFWriter::RowWidth() const {
    std::size_t width = 0;
    for (const TField& f : m_Fields)
        width += f.Width();
    return width;
}

std::string TDBFWriter::HeaderBytes() const {
    std::array<std::uint8_t, 32> header = m_Header;
    const auto rowLength = static_cast<std::uint32_t>(1 + RowWidth());
    PutUInt32LE(header, 4, m_RowCount);
    PutUInt16LE(header, 8, 32 * FieldCount() + 33);
    PutUInt16LE(header, 10, rowLength);
    std::string bytes(header.begin(), header.end());
    for (const TField& f : m_Fields)
        bytes.append(f.Descriptor.begin(), f.Descriptor.end());
    bytes += kEndOfDescriptors;
    return bytes;
}

std::string TDBFWriter::FileBytes() const {
    std::string bytes = HeaderBytes();
    const std::size_t rowWidth = RowWidth();
    bytes.reserve(bytes.size() + m_Rows.size() + m_RowCount + 1);
    for (std::size_t row = 0; row < m_RowCount; ++row) {
        bytes += kLiveRow;
        bytes.append(m_Rows, row * rowWidth, rowWidth);
    }
    bytes += kEndOfFile;
    return bytes;
}

void TDBFWriter::SaveToFile(const std::string& fileName) {
    if (m_Stream) {
        const std::unique_ptr<TBinaryFile> file = std::move(m_Stream);
        file->PatchUInt32LE(4, m_RowCount);
        file->WriteByte(kEndOfFile);
        file->Close();
        return;
    }
    TBinaryFile file(fileName, TBinaryFile::TMode::InPlace);
    file.Write(HeaderBytes());
    const std::size_t rowWidth = RowWidth();
    for (std::size_t row = 0; row < m_RowCount; ++row) {
        file.WriteByte(kLiveRow);
        file.Write(m_Rows.data() + row * rowWidth, rowWidth);
    }
    file.WriteByte(kEndOfFile);
    file.Close();
}

} // namespace lumora::exporter
