#include "platform/IniFile.h"
#include "platform/Error.h"
#include "platform/SettingsPaths.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

namespace lumora::platform {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Points the settings folder at a temporary folder for the life of a test.
class ConfigDirScope {
public:
    explicit ConfigDirScope(const std::string& dir) {
        ::setenv("LUMORA_CONFIG_DIR", dir.c_str(), 1);
    }
    ~ConfigDirScope() { ::unsetenv("LUMORA_CONFIG_DIR"); }
};

TEST(IniFile, MissingFileReadsAsEmptyAndIsNotCreatedWithoutWrites) {
    TempDir dir;
    {
        IniFile ini(dir.File("none.ini"));
        EXPECT_FALSE(ini.SectionExists("Units"));
        EXPECT_EQ(ini.ReadInteger("Units", "Count", 7), 7);
        EXPECT_TRUE(ini.ReadBool("Units", "InternationalFoot", true));
        EXPECT_EQ(ini.ReadString("Units", "Name", "dflt"), "dflt");
        EXPECT_TRUE(ini.ReadSection("Units").empty());
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.ini")));
}

TEST(IniFile, WritesSectionsAndKeysInTheOrderWritten) {
    TempDir dir;
    const std::string path = dir.File("order.ini");
    {
        IniFile ini(path);
        ini.WriteInteger("Global", "Units", 1);
        ini.WriteInteger("Shape", "DataTypes", 3);
        ini.WriteBool("VRML", "3DPassages", true);
        ini.WriteInteger("Shape", "FileType", 0);
        ini.WriteInteger("Global", "Units", 0); // rewritten key keeps its place
        ini.WriteString("Zeta", "B", "second");
        ini.WriteString("Zeta", "A", "third");
        ini.UpdateFile();
    }
    EXPECT_EQ(ReadFile(path), "[Global]\nUnits=0\n\n"
                              "[Shape]\nDataTypes=3\nFileType=0\n\n"
                              "[VRML]\n3DPassages=1\n\n"
                              "[Zeta]\nB=second\nA=third\n");
}

TEST(IniFile, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
    TempDir dir;
    const std::string path = dir.File("case.ini");
    WriteFile(path, "[History]\nCount=2\nPath0=/a/B.plt\n");
    IniFile ini(path);
    EXPECT_TRUE(ini.SectionExists("HISTORY"));
    EXPECT_TRUE(ini.ValueExists("history", "path0"));
    EXPECT_EQ(ini.ReadInteger("hIsToRy", "COUNT", 0), 2);
    ini.WriteInteger("HISTORY", "count", 5);
    ini.UpdateFile();
    EXPECT_EQ(ReadFile(path), "[History]\nCount=5\nPath0=/a/B.plt\n");
}

TEST(IniFile, ReadsValuesTheWayTheClassicServiceDoes) {
    TempDir dir;
    const std::string path = dir.File("values.ini");
    WriteFile(path, "\xEF\xBB\xBF[S]\r\n"
                    "  Spaced  =   padded value  \r\n"
                    "Hex=$FF\nHex0x=0x10\nNegHex=-$10\nAllOnes=$FFFFFFFF\n"
                    "Neg=-42\nPlus=+42\nMin=-2147483648\nTooBig=2147483648\n"
                    "Junk=12abc\nEmpty=\nQuoted=\"  kept  \"\nHalfQuoted=\"open\n"
                    "BoolTrue=TRUE\nBoolFalse=false\nBoolTwo=2\nBoolJunk=yes\n");
    const IniFile ini(path);
    EXPECT_EQ(ini.ReadString("S", "Spaced", ""), "padded value");
    EXPECT_EQ(ini.ReadInteger("S", "Hex", 0), 255);
    EXPECT_EQ(ini.ReadInteger("S", "Hex0x", 0), 16);
    EXPECT_EQ(ini.ReadInteger("S", "NegHex", 0), -16);
    EXPECT_EQ(ini.ReadInteger("S", "AllOnes", 0), -1);
    EXPECT_EQ(ini.ReadInteger("S", "Neg", 0), -42);
    EXPECT_EQ(ini.ReadInteger("S", "Plus", 0), 42);
    EXPECT_EQ(ini.ReadInteger("S", "Min", 0), INT32_MIN);
    EXPECT_EQ(ini.ReadInteger("S", "TooBig", 9), 9);
    EXPECT_EQ(ini.ReadInteger("S", "Junk", 9), 9);
    EXPECT_EQ(ini.ReadInteger("S", "Empty", 9), 9);
    EXPECT_EQ(ini.ReadString("S", "Empty", "dflt"), "");
    EXPECT_EQ(ini.ReadString("S", "Quoted", ""), "  kept  ");
    EXPECT_EQ(ini.ReadString("S", "HalfQuoted", ""), "\"open");
    EXPECT_TRUE(ini.ReadBool("S", "BoolTrue", false));
    EXPECT_FALSE(ini.ReadBool("S", "BoolFalse", true));
    EXPECT_TRUE(ini.ReadBool("S", "BoolTwo", false));
    EXPECT_FALSE(ini.ReadBool("S", "BoolJunk", false));
    EXPECT_TRUE(ini.ReadBool("S", "BoolJunk", true));
}

TEST(IniFile, StringsWithEdgeBlanksOrQuotesReadBackExactly) {
    TempDir dir;
    const std::string path = dir.File("strings.ini");
    const std::string values[] = {" lead", "trail ", "\"quoted\"", "'single'", "a=b=c", "", "x"};
    {
        IniFile ini(path);
        for (std::size_t i = 0; i < std::size(values); ++i)
            ini.WriteString("S", "K" + std::to_string(i), values[i]);
        ini.UpdateFile();
    }
    const IniFile again(path);
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(again.ReadString("S", "K" + std::to_string(i), "missing"), values[i]) << i;
}

TEST(IniFile, RealsUseTheCallersDecimalSeparator) {
    TempDir dir;
    const std::string path = dir.File("reals.ini");
    {
        IniFile ini(path);
        ini.WriteFloat("DXF", "Comma", 12.5, ',');
        ini.WriteFloat("DXF", "Dot", 12.5);
        ini.WriteFloat("DXF", "Tiny", 1e-6);
        ini.WriteFloat("DXF", "Big", 1e20);
        ini.WriteFloat("DXF", "Third", 1.0 / 3.0);
        ini.WriteFloat("DXF", "Whole", 100.0);
        ini.UpdateFile();
    }
    const IniFile ini(path);
    EXPECT_EQ(ini.ReadString("DXF", "Comma", ""), "12,5");
    EXPECT_EQ(ini.ReadString("DXF", "Tiny", ""), "1E-6");
    EXPECT_EQ(ini.ReadString("DXF", "Big", ""), "1E20");
    EXPECT_EQ(ini.ReadString("DXF", "Third", ""), "0.333333333333333");
    EXPECT_EQ(ini.ReadString("DXF", "Whole", ""), "100");
    EXPECT_DOUBLE_EQ(ini.ReadFloat("DXF", "Comma", 0.0, ','), 12.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("DXF", "Comma", 7.0, '.'), 7.0);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("DXF", "Dot", 7.0, ','), 7.0);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("DXF", "Dot", 0.0), 12.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("DXF", "Tiny", 0.0), 1e-6);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("DXF", "Big", 0.0), 1e20);
}

TEST(IniFile, UnreadableOrNonFiniteRealsGiveTheDefault) {
    TempDir dir;
    const std::string path = dir.File("bad.ini");
    WriteFile(path, "[S]\nEmpty=\nWord=abc\nNan=NAN\nInf=INF\nHalf=1.5x\nPlusMinus=+-1\n"
                    "Plus=+2.5\nExp=2.5e3\n");
    const IniFile ini(path);
    for (const char* key : {"Empty", "Word", "Nan", "Inf", "Half", "PlusMinus", "Missing"})
        EXPECT_DOUBLE_EQ(ini.ReadFloat("S", key, 4.25), 4.25) << key;
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "Plus", 0.0), 2.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "Exp", 0.0), 2500.0);
}

TEST(IniFile, EraseThenWriteLeavesNoKeysOfTheOldList) {
    TempDir dir;
    const std::string path = dir.File("lumora.ini");
    WriteFile(path, "[Other]\nA=1\n\n[history]\nCount=3\nPath0=/a\nPath1=/b\nPath2=/c\n"
                    "\n[Tail]\nZ=9\n");
    {
        IniFile ini(path);
        ini.EraseSection("HISTORY");
        EXPECT_FALSE(ini.SectionExists("history"));
        ini.WriteInteger("history", "Count", 1);
        ini.WriteString("history", "Path0", "/new");
        ini.UpdateFile();
    }
    EXPECT_EQ(ReadFile(path), "[Other]\nA=1\n\n[Tail]\nZ=9\n\n[history]\nCount=1\nPath0=/new\n");
}

TEST(IniFile, DuplicateKeysAndSectionsFirstWinsAndEraseRemovesAll) {
    TempDir dir;
    const std::string path = dir.File("dup.ini");
    WriteFile(path, "[S]\nK=first\nk=second\n[s]\nK=third\nOnlyLater=1\n[T]\nX=1\n");
    IniFile ini(path);
    EXPECT_EQ(ini.ReadString("S", "K", ""), "first");
    EXPECT_FALSE(ini.ValueExists("S", "OnlyLater"));
    EXPECT_EQ(ini.ReadSection("S"), (std::vector<std::string>{"K"}));
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"S", "T"}));
    ini.WriteString("S", "K", "changed");
    EXPECT_EQ(ini.ReadString("S", "K", ""), "changed");
    ini.EraseSection("S");
    EXPECT_FALSE(ini.SectionExists("S"));
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"T"}));
    ini.UpdateFile();
    EXPECT_EQ(ReadFile(path), "[T]\nX=1\n");
}

TEST(IniFile, GarbageLinesAndCommentsSurviveARewrite) {
    TempDir dir;
    const std::string path = dir.File("garbage.ini");
    const std::string original = "stray line\nkey-before-section=1\n; comment\n[S\nA = 1 \n"
                                 "no equals sign\n=no key\n# hash\n\x01\x02\xff\n[T]\n";
    WriteFile(path, original);
    IniFile ini(path);
    EXPECT_FALSE(ini.ValueExists("", "key-before-section"));
    EXPECT_EQ(ini.ReadInteger("S", "A", 0), 1); // an unclosed header still names its section
    EXPECT_EQ(ini.ReadSection("S"), (std::vector<std::string>{"A"}));
    ini.WriteInteger("T", "B", 2);
    ini.UpdateFile();
    EXPECT_EQ(ReadFile(path), original + "B=2\n");
}

TEST(IniFile, DeleteKeyRemovesOnlyThatKey) {
    TempDir dir;
    IniFile ini(dir.File("del.ini"));
    ini.WriteInteger("S", "A", 1);
    ini.WriteInteger("S", "B", 2);
    ini.WriteInteger("S", "C", 3);
    ini.DeleteKey("s", "b");
    EXPECT_FALSE(ini.ValueExists("S", "B"));
    EXPECT_EQ(ini.ReadInteger("S", "C", 0), 3);
    EXPECT_EQ(ini.ReadSection("S"), (std::vector<std::string>{"A", "C"}));
}

TEST(IniFile, RefusesNamesAndValuesThatWouldBreakTheFile) {
    TempDir dir;
    const std::string path = dir.File("refuse.ini");
    IniFile ini(path);
    EXPECT_THROW(ini.WriteString("S", "K", "two\nlines"), Error);
    EXPECT_THROW(ini.WriteString("S", "K=V", "x"), Error);
    EXPECT_THROW(ini.WriteString("S", "", "x"), Error);
    EXPECT_THROW(ini.WriteString("S", "[K", "x"), Error);
    EXPECT_THROW(ini.WriteString("S]", "K", "x"), Error);
    EXPECT_THROW(ini.WriteString("S\r", "K", "x"), Error);
    EXPECT_FALSE(ini.Modified());
    EXPECT_FALSE(ini.SectionExists("S"));
}

TEST(IniFile, BareNamesResolveInTheSettingsFolder) {
    TempDir dir;
    ConfigDirScope scope(dir.File("config"));
    {
        IniFile ini("lumora.ini");
        EXPECT_EQ(ini.FileName(), dir.File("config") + "/lumora.ini");
        ini.WriteInteger("history", "Count", 0);
    } // the destructor writes pending changes
    EXPECT_EQ(ReadFile(dir.File("config/lumora.ini")), "[history]\nCount=0\n");
}

TEST(IniFile, WriteFailureThrowsNamingTheFileAndKeepsChangesPending) {
    TempDir dir;
    const std::string path = dir.File("missing-folder/settings.ini");
    IniFile ini(path);
    ini.WriteInteger("S", "K", 1);
    try {
        ini.UpdateFile();
        FAIL() << "no WriteError";
    } catch (const WriteError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    EXPECT_TRUE(ini.Modified());
    std::filesystem::create_directory(dir.File("missing-folder"));
    ini.UpdateFile();
    EXPECT_EQ(ReadFile(path), "[S]\nK=1\n");
}

TEST(IniFile, AFailedRenameLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string path = dir.File("settings.ini");
    WriteFile(path, "[S]\nK=old\n");
    IniFile ini(path);
    ini.WriteString("S", "K", "new");
    // The file turns into a folder that holds a file: the final rename cannot replace it.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    WriteFile(path + "/inside", "x");
    EXPECT_THROW(ini.UpdateFile(), WriteError);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
    EXPECT_EQ(ReadFile(path + "/inside"), "x");
}

TEST(IniFile, NewKeysGoBeforeTheBlankLinesThatEndASection) {
    TempDir dir;
    const std::string path = dir.File("blank.ini");
    WriteFile(path, "[A]\nx=1\n\n\n[B]\ny=2\n");
    IniFile ini(path);
    ini.WriteInteger("A", "z", 3);
    ini.WriteInteger("A", "x", 4);
    ini.UpdateFile();
    EXPECT_EQ(ReadFile(path), "[A]\nx=4\nz=3\n\n\n[B]\ny=2\n");
}

TEST(IniFile, ReplacesTheTargetOfASymbolicLinkAndKeepsItsMode) {
    TempDir dir;
    const std::string real = dir.File("real.ini");
    const std::string link = dir.File("link.ini");
    WriteFile(real, "[S]\nK=1\n");
    ::chmod(real.c_str(), 0640);
    std::filesystem::create_symlink(real, link);
    IniFile ini(link);
    ini.WriteInteger("S", "K", 2);
    ini.UpdateFile();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "[S]\nK=2\n");
    struct stat info {};
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(IniFile, PendingChangesAreDroppedWhileAnExceptionUnwinds) {
    TempDir dir;
    const std::string path = dir.File("unwind.ini");
    WriteFile(path, "[history]\nCount=1\nPath0=/keep\n");
    try {
        IniFile ini(path);
        ini.EraseSection("history");
        throw std::runtime_error("failed half way");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(ReadFile(path), "[history]\nCount=1\nPath0=/keep\n");
}

TEST(IniFile, UnreadableFilesThrowInsteadOfReadingAsEmpty) {
    TempDir dir;
    EXPECT_THROW(IniFile(dir.Path().string()), Error); // a folder
    EXPECT_THROW(IniFile(""), Error);
}

TEST(IniFile, HugeAndBinaryFilesNeverCrash) {
    TempDir dir;
    const std::string path = dir.File("huge.ini");
    std::string text = "[S]\n";
    for (int i = 0; i < 100000; ++i)
        text += "Key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    text += std::string(1 << 20, 'x') + "\n"; // one line of a megabyte
    WriteFile(path, text);
    IniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("S", "key99999", 0), 99999);
    EXPECT_EQ(ini.ReadSection("S").size(), 100000u);
    for (int i = 0; i < 100000; i += 2)
        ini.WriteInteger("S", "Key" + std::to_string(i), -i); // rewrites stay fast
    EXPECT_EQ(ini.ReadInteger("S", "Key99998", 0), -99998);

    std::string binary;
    for (int i = 0; i < 100000; ++i)
        binary += static_cast<char>((i * 7919) % 256);
    WriteFile(dir.File("binary.ini"), binary);
    IniFile noise(dir.File("binary.ini"));
    (void)noise.ReadSections();
    EXPECT_FALSE(noise.Modified());

    std::filesystem::resize_file(path, IniFile::kMaxFileSize + 1);
    EXPECT_THROW(IniFile{path}, Error);
}

} // namespace
} // namespace lumora::platform
