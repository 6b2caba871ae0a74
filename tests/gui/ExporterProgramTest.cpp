// The lumora-exporter program as a user starts it: its help, the plot file of its first argument
// opened in the window (its picture, caption and recent files), and what `cmake --install` puts
// in place for the desktop.
#include "platform/IniFile.h"
#include "support/TestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

#ifdef LUMORA_EXPORTER

namespace lumora::test {
namespace {

std::string Exporter(const TempDir& dir, const std::string& arguments) {
    return "env QT_QPA_PLATFORM=offscreen LUMORA_CONFIG_DIR=" + ShellQuote(dir.File("config")) +
           " timeout 60 " + ShellQuote(LUMORA_EXPORTER) + " " + arguments;
}

TEST(ExporterProgram, HelpNamesTheFileArgument) {
    TempDir dir;
    const CommandResult help = RunCommand(Exporter(dir, "--help"));
    EXPECT_EQ(help.ExitCode, 0) << help.Err;
    EXPECT_NE(help.Out.find("[FILE]"), std::string::npos) << help.Out;
    EXPECT_NE(help.Out.find("Quiltra 3D Exporter"), std::string::npos);
}

TEST(ExporterProgram, OpensItsFirstArgumentAndListsItAmongTheRecentFiles) {
    TempDir dir;
    const std::string cave = std::string(LUMORA_SOURCE_DIR) + "/data/sample/sample-cave.plt";
    const std::string png = dir.File("window.png");
    const CommandResult run =
        RunCommand(Exporter(dir, ShellQuote(cave) + " --snapshot " + ShellQuote(png)));
    ASSERT_EQ(run.ExitCode, 0) << run.Out << run.Err;
    EXPECT_EQ(run.Out, "Quiltra 3D Exporter - sample-cave.plt\n");
    const QImage picture(QString::fromStdString(png));
    EXPECT_GT(picture.width(), 400);
    EXPECT_GT(picture.height(), 300);
    // The window saved its recent files when it closed: the suite's settings, its own section.
    const platform::IniFile recent(dir.File("config/quiltra/Sindar32.ini"));
    EXPECT_EQ(recent.ReadInteger("ExporterHistory", "Count", 0), 1);
    EXPECT_EQ(recent.ReadString("ExporterHistory", "Path0", ""), cave);

    // A first argument that names no file opens nothing and lists nothing.
    TempDir other;
    const CommandResult none = RunCommand(
        Exporter(other, ShellQuote(other.File("none.plt")) + " --snapshot " + ShellQuote(png)));
    ASSERT_EQ(none.ExitCode, 0) << none.Err;
    EXPECT_EQ(none.Out, "Quiltra 3D Exporter\n");
    const platform::IniFile empty(other.File("config/quiltra/Sindar32.ini"));
    EXPECT_EQ(empty.ReadInteger("ExporterHistory", "Count", -1), 0);
}

TEST(ExporterProgram, InstallsItsDesktopEntryAndManual) {
    TempDir dir;
    const std::string prefix = dir.File("usr");
    const CommandResult install =
        RunCommand(std::string(LUMORA_CMAKE) + " --install " + ShellQuote(LUMORA_BINARY_DIR) +
                   " --prefix " + ShellQuote(prefix));
    ASSERT_EQ(install.ExitCode, 0) << install.Out << install.Err;
    EXPECT_TRUE(std::filesystem::exists(prefix + "/bin/lumora-exporter"));
    const std::string desktop = ReadFile(prefix + "/share/applications/lumora-exporter.desktop");
    EXPECT_NE(desktop.find("Name=Quiltra 3D Exporter\n"), std::string::npos) << desktop;
    EXPECT_NE(desktop.find("Exec=lumora-exporter %f\n"), std::string::npos);
    EXPECT_NE(desktop.find("MimeType=application/x-lumora-plot;\n"), std::string::npos);
    const std::string manual = ReadFile(prefix + "/share/doc/lumora-exporter/exporter.html");
    EXPECT_NE(manual.find("Saving and restoring the settings"), std::string::npos);
}

} // namespace
} // namespace lumora::test

#endif // LUMORA_EXPORTER
