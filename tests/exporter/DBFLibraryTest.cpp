#include "exporter/DBFLibrary.h"
#include "platform/Error.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <ctime>

using lumora::exporter::FormatNumericField;
using lumora::exporter::TDBFWriter;
using namespace lumora::test;

namespace {

std::uint32_t UInt32LE(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
}

std::uint16_t UInt16LE(const std::string& b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
}

// The row text of the only row of the table (after its deletion mark).
std::string OnlyRow(const TDBFWriter& table) {
    const std::string bytes = table.FileBytes();
    const std::size_t start = UInt16LE(bytes, 8);
    EXPECT_EQ(bytes[start], ' ');
    return bytes.substr(start + 1, UInt16LE(bytes, 10) - 1);
}

TDBFWriter StationLikeTable() {
    TDBFWriter table;
    table.AddField("SECTION", 'C', 20, 0);
    table.AddField("QUILTRA_X", 'N', 18, 5);
    table.AddField("LEFT", 'N', 4, 2);
    return table;
}

} // namespace

TEST(DBFLibrary, NumericFieldsAreCutToTheirWidthNotRounded) {
    EXPECT_EQ(FormatNumericField(5.25, 4, 2), "5.25");
    EXPECT_EQ(FormatNumericField(12.5, 4, 2), "12.5");
    EXPECT_EQ(FormatNumericField(123.45, 4, 2), "123.");
    EXPECT_EQ(FormatNumericField(-1.5, 4, 2), "-1.5");
    EXPECT_EQ(FormatNumericField(12.192, 4, 2), "12.1");
    EXPECT_EQ(FormatNumericField(3.0, 4, 0), "   3");
    EXPECT_EQ(FormatNumericField(-1234.5, 18, 5), "       -1234.50000");
    EXPECT_EQ(FormatNumericField(-0.001, 4, 2), "0.00");
}

TEST(DBFLibrary, RowHoldsEveryFieldAtItsWidth) {
    TDBFWriter table = StationLikeTable();
    table.SetString(0, "Main \"Hall\", \xE9tage");
    table.SetNumber(1, 1234.5);
    table.SetNull(2);
    table.CommitRecord();
    EXPECT_EQ(OnlyRow(table),
              std::string("Main \"Hall\", \xE9tage  ") + "        1234.50000" + "****");
}

TEST(DBFLibrary, LongCharacterValuesKeepTheirFirstWidthBytes) {
    TDBFWriter table;
    table.AddField("STATION", 'C', 5, 0);
    table.AddField("EMPTY", 'C', 3, 0);
    table.SetString(0, "ABCDEFGHIJ");
    table.SetString(1, "");
    table.CommitRecord();
    EXPECT_EQ(OnlyRow(table), "ABCDE   ");
}

TEST(DBFLibrary, TableWithoutRowsHasExactHeaderAndEndMarks) {
    TDBFWriter table = StationLikeTable();
    const std::string bytes = table.FileBytes();
    ASSERT_EQ(bytes.size(), 32u + 3 * 32 + 1 + 1);
    const std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);
    EXPECT_EQ(bytes[0], 3);
    // The year since 1900 (126 for 2026), as the format counts it: not modulo 100.
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), today.tm_year);
    EXPECT_EQ(bytes[2], today.tm_mon + 1);
    EXPECT_EQ(bytes[3], today.tm_mday);
    EXPECT_EQ(UInt32LE(bytes, 4), 0u);
    EXPECT_EQ(UInt16LE(bytes, 8), 32 * 3 + 33);
    EXPECT_EQ(UInt16LE(bytes, 10), 1 + 20 + 18 + 4);
    EXPECT_EQ(bytes.substr(12, 17), std::string(17, '\0'));
    EXPECT_EQ(static_cast<unsigned char>(bytes[29]), 0x57);
    EXPECT_EQ(bytes.substr(30, 2), std::string(2, '\0'));
    const std::string left = bytes.substr(32 + 64, 32);
    EXPECT_EQ(left.substr(0, 11), std::string("LEFT") + std::string(7, '\0'));
    EXPECT_EQ(left[11], 'N');
    EXPECT_EQ(left.substr(12, 4), std::string(4, '\0'));
    EXPECT_EQ(left[16], 4);
    EXPECT_EQ(left[17], 2);
    EXPECT_EQ(left.substr(18), std::string(14, '\0'));
    EXPECT_EQ(bytes[32 + 96], 0x0D);
    EXPECT_EQ(bytes.back(), 0x1A);
}

TEST(DBFLibrary, FieldNamesAreCutToElevenCharactersWithoutTerminator) {
    TDBFWriter table;
    table.AddField("Layer_Number", 'N', 4, 0);
    table.AddField("Edge_Number", 'N', 4, 0);
    const std::string bytes = table.FileBytes();
    EXPECT_EQ(bytes.substr(32, 12), "Layer_NumbeN");
    EXPECT_EQ(bytes.substr(64, 12), "Edge_NumberN");
}

TEST(DBFLibrary, CommittingAgainRepeatsTheRow) {
    TDBFWriter table = StationLikeTable();
    table.SetString(0, "A");
    table.SetNumber(1, 1.0);
    table.SetNumber(2, 2.0);
    table.CommitRecord();
    table.CommitRecord();
    const std::string bytes = table.FileBytes();
    const std::size_t start = UInt16LE(bytes, 8);
    const std::size_t rowLength = UInt16LE(bytes, 10);
    EXPECT_EQ(UInt32LE(bytes, 4), 2u);
    EXPECT_EQ(bytes.substr(start, rowLength), bytes.substr(start + rowLength, rowLength));
    EXPECT_EQ(bytes.size(), start + 2 * rowLength + 1);
}

TEST(DBFLibrary, ResetForgetsFieldsAndRows) {
    TDBFWriter table = StationLikeTable();
    table.SetString(0, "A");
    table.SetNumber(1, 1.0);
    table.SetNumber(2, 2.0);
    table.CommitRecord();
    table.Reset();
    table.AddField("ONLY", 'C', 2, 0);
    table.SetString(0, "xy");
    table.CommitRecord();
    EXPECT_EQ(table.FieldCount(), 1);
    EXPECT_EQ(table.RowCount(), 1u);
    EXPECT_EQ(OnlyRow(table), "xy");
}

TEST(DBFLibrary, ValuesOfTheOtherTypeAreRefused) {
    TDBFWriter table = StationLikeTable();
    try {
        table.SetNumber(0, 1.0);
        FAIL() << "no exception";
    } catch (const lumora::Error& e) {
        EXPECT_STREQ(e.what(), "Field Mismatch");
    }
    EXPECT_THROW(table.SetString(1, "x"), lumora::Error);
    EXPECT_THROW(table.SetNull(3), lumora::Error);
    for (int i = 3; i < TDBFWriter::kMaxFields; ++i)
        table.AddField("F", 'C', 1, 0);
    EXPECT_THROW(table.AddField("F", 'C', 1, 0), lumora::Error);
}

TEST(DBFLibrary, SaveFailuresNameTheFile) {
    TDBFWriter table = StationLikeTable();
    TempDir dir;
    const std::string missingFolder = dir.File("no/such/folder/t.dbf");
    try {
        table.SaveToFile(missingFolder);
        FAIL() << "no exception";
    } catch (const lumora::WriteError& e) {
        EXPECT_NE(std::string(e.what()).find(missingFolder), std::string::npos);
    }
    EXPECT_THROW(table.SaveToFile("/dev/full"), lumora::WriteError);
    FileSizeLimit full(40);
    EXPECT_THROW(table.SaveToFile(dir.File("t.dbf")), lumora::WriteError);
}

TEST(DBFLibrary, PeersReadTheTable) {
    ASSERT_TRUE(HaveProgram("ogrinfo")) << "the peer check needs ogrinfo (gdal-bin)";
    ASSERT_EQ(RunCommand("/usr/bin/python3 -c 'import dbfread'").ExitCode, 0)
        << "the peer check needs python3-dbfread";
    TDBFWriter table = StationLikeTable();
    table.SetString(0, "Entrance, \"the\" one");
    table.SetNumber(1, -20.125);
    table.SetNumber(2, 12.5);
    table.CommitRecord();
    table.SetString(0, "Caf\xE9");
    table.SetNumber(1, 7.0);
    table.SetNull(2);
    table.CommitRecord();
    TempDir dir;
    const std::string file = dir.File("table.dbf");
    table.SaveToFile(file);
    EXPECT_EQ(ReadFile(file), table.FileBytes());

    const CommandResult py =
        RunCommand("/usr/bin/python3 -c 'import dbfread,sys\n"
                   "t=dbfread.DBF(sys.argv[1],encoding=\"latin-1\")\n"
                   "print([(f.name,f.type,f.length,f.decimal_count) for f in t.fields])\n"
                   "for r in t: print(repr(r[\"SECTION\"]), r[\"QUILTRA_X\"], r[\"LEFT\"])' " +
                   ShellQuote(file));
    ASSERT_EQ(py.ExitCode, 0) << py.Err;
    EXPECT_EQ(py.Out, "[('SECTION', 'C', 20, 0), ('QUILTRA_X', 'N', 18, 5), ('LEFT', 'N', 4, 2)]\n"
                      "'Entrance, \"the\" one' -20.125 12.5\n"
                      "'Caf\xC3\xA9' 7.0 None\n");

    const CommandResult ogr = RunCommand("ogrinfo -ro -al " + ShellQuote(file));
    ASSERT_EQ(ogr.ExitCode, 0) << ogr.Err;
    EXPECT_NE(ogr.Out.find("Feature Count: 2"), std::string::npos) << ogr.Out;
    EXPECT_NE(ogr.Out.find("QUILTRA_X: Real (18.5)"), std::string::npos) << ogr.Out;
    EXPECT_NE(ogr.Out.find("QUILTRA_X (Real) = -20.125"), std::string::npos) << ogr.Out;
}

TEST(DBFLibrary, StreamedTableIsTheSameFileAsTheTableInMemory) {
    TempDir dir;
    TDBFWriter inMemory = StationLikeTable();
    TDBFWriter streamed = StationLikeTable();
    streamed.StreamRowsTo(dir.File("streamed.dbf"));
    EXPECT_TRUE(streamed.Streaming());
    // Enough rows to span several write buffers.
    for (int row = 0; row < 60000; ++row) {
        for (TDBFWriter* table : {&inMemory, &streamed}) {
            table->SetString(0, "S" + std::to_string(row % 977));
            table->SetNumber(1, row * 0.37 - 999.0);
            if (row % 5 == 0)
                table->SetNull(2);
            else
                table->SetNumber(2, row % 13);
            table->CommitRecord();
        }
    }
    EXPECT_EQ(streamed.RowCount(), 60000u);
    streamed.SaveToFile("ignored: a streamed table finishes its own file");
    EXPECT_FALSE(streamed.Streaming());
    const std::string bytes = ReadFile(dir.File("streamed.dbf"));
    EXPECT_GT(bytes.size(), 2u << 20);
    EXPECT_TRUE(bytes == inMemory.FileBytes());
    // Rows first, streaming later is refused; a failing device is reported.
    EXPECT_THROW(inMemory.StreamRowsTo(dir.File("late.dbf")), lumora::Error);
    TDBFWriter full = StationLikeTable();
    FileSizeLimit limit(40);
    full.StreamRowsTo(dir.File("full.dbf"));
    full.CommitRecord();
    EXPECT_THROW(full.SaveToFile(dir.File("full.dbf")), lumora::WriteError);
}
