// The dBase III attribute table of a Shapefile set, built in memory and written in one pass, or
// written row by row as the rows come.
#pragma once

#include "exporter/BinaryFile.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::exporter {

// One table: field descriptors first, then finished text rows; SaveToFile writes the whole file.
// Calling order: Reset, AddField for every field, then per row the Set... calls for every field
// and CommitRecord, and SaveToFile once. A big table may instead go straight to its file: call
// StreamRowsTo after the fields, and SaveToFile then only finishes that file. A table is a part of
// a Shapefile set and is written in place, as the set's other parts are. Character values are
// bytes (any 8-bit text), cut to the field's width and padded with spaces on the right; numbers are
// right-justified, cut to the width when too long ("123.45" in a width-4 field becomes "123.").
class TDBFWriter {
public:
    static constexpr int kMaxFields = 128;

    TDBFWriter();
    TDBFWriter(TDBFWriter&&) = default;
    TDBFWriter& operator=(TDBFWriter&&) = default;

    // Empties the table (no fields, no rows), stops streaming (the streamed file is left as it
    // is) and stamps today's date in the header (the year counted from 1900). The values of the row
    // being built are not cleared.
    void Reset();
    // Appends a field: type 'C' (character) or 'N' (numeric); names longer than 11 characters
    // keep their first 11. Throws lumora::Error beyond kMaxFields fields, for another type, or
    // once rows exist.
    void AddField(std::string_view name, char type, std::uint8_t width, std::uint8_t decimals);
    // Throws lumora::Error "Field Mismatch" when the field is not of type 'C'.
    void SetString(int field, std::string_view text);
    // Fixed-point with the field's decimals; throws "Field Mismatch" when the field is not 'N'.
    // A value that is not a finite number is stored as missing (SetNull).
    void SetNumber(int field, double value);
    // The field's width in '*' characters (a missing value).
    void SetNull(int field);
    // Appends the current values of all fields as one row; the values stay for the next row.
    // Streaming, throws lumora::WriteError naming the file when the row cannot be written.
    void CommitRecord();
    // From now on rows go straight to fileName (created, replacing it, with the header at once)
    // instead of memory; for tables too big to hold twice. Call after the fields and before the
    // first row. Throws lumora::WriteError naming the file; lumora::Error once rows exist.
    void StreamRowsTo(const std::string& fileName);
    bool Streaming() const { return m_Stream != nullptr; }
    // Writes header, descriptors, 0x0D, the rows and 0x1A, replacing the file. Throws
    // lumora::WriteError naming the file; the table in memory is unchanged either way. When
    // streaming, finishes the streamed file instead (row count, end mark; fileName is not used)
    // and ends streaming, also when that fails.
    void SaveToFile(const std::string& fileName);

    int FieldCount() const { return static_cast<int>(m_Fields.size()); }
    std::uint32_t RowCount() const { return m_RowCount; }
    // The file as SaveToFile writes it (the rows in memory: none of a streamed table).
    std::string FileBytes() const;

private:
    struct TField {
        std::array<std::uint8_t, 32> Descriptor;
        char Type() const { return static_cast<char>(Descriptor[11]); }
        std::uint8_t Width() const { return Descriptor[16]; }
        std::uint8_t Decimals() const { return Descriptor[17]; }
    };
    const TField& CheckedField(int field, char type) const;
    std::string HeaderBytes() const;
    // Sum of the field widths (the row length less its deletion mark).
    std::size_t RowWidth() const;

    std::array<std::uint8_t, 32> m_Header{};
    std::vector<TField> m_Fields;
    std::string m_Rows; // committed rows, each as wide as the row length less the deletion mark
    std::uint32_t m_RowCount = 0;
    std::array<std::string, kMaxFields + 1> m_Values;
    std::unique_ptr<TBinaryFile> m_Stream; // while streaming
};

// The text of a numeric field value: fixed-point with the given decimals, cut to width
// characters, padded with spaces on the left.
std::string FormatNumericField(double value, int width, int decimals);
// The same into out (width characters).
void FormatNumericField(char* out, double value, int width, int decimals);

} // namespace lumora::exporter
