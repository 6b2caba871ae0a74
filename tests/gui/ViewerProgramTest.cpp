// The viewer program end to end on a virtual X display: it builds the sample cave at start, and
// the picture its OpenGL view shows holds the red cave on the grey background. Without any
// display it still answers --help and --version.
#include "support/TestSupport.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#ifdef LUMORA_VIEWER

namespace lumora::test {
namespace {

double ShareOf(const QImage& image, bool (*test)(QRgb)) {
    long long hits = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            hits += test(image.pixel(x, y)) ? 1 : 0;
    return double(hits) / (double(image.width()) * image.height());
}

TEST(ViewerProgram, ProcessesTheSampleCaveAndShowsItRedUnderXvfb) {
    if (!HaveProgram("xvfb-run"))
        LUMORA_SKIP_OR_FAIL_IN_CI("xvfb-run (package xvfb) is needed for this test");
    TempDir dir;
    const std::string png = dir.File("view.png");
    const std::string sample = std::string(LUMORA_SOURCE_DIR) + "/data/sample/sample-cave.plt";
    const CommandResult run = RunCommand(
        "env -u QT_QPA_PLATFORM LUMORA_CONFIG_DIR=" + ShellQuote(dir.File("config")) +
        " timeout 120 xvfb-run -a -s '-screen 0 1280x1024x24' " + ShellQuote(LUMORA_VIEWER) +
        " --process " + ShellQuote(sample) + " --snapshot " + ShellQuote(png));
    ASSERT_EQ(run.ExitCode, 0) << run.Out << run.Err;
    EXPECT_NE(run.Out.find("(drawn); tris "), std::string::npos) << run.Out;
    const QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixel(0, 0), qRgb(64, 64, 64));
    EXPECT_GT(
        ShareOf(image, [](QRgb p) { return qRed(p) > qGreen(p) + 40 && qRed(p) > qBlue(p) + 40; }),
        0.002);
    // The recent-files list now holds the sample.
    EXPECT_NE(ReadFile(dir.File("config/lumora.ini")).find("sample-cave.plt"), std::string::npos);
}

TEST(ViewerProgram, ASnapshotThatCannotBeWrittenNamesTheFileAndTheReason) {
    if (!HaveProgram("xvfb-run"))
        LUMORA_SKIP_OR_FAIL_IN_CI("xvfb-run (package xvfb) is needed for this test");
    TempDir dir;
    const std::string png = dir.File("no-such-folder/view.png");
    const std::string sample = std::string(LUMORA_SOURCE_DIR) + "/data/sample/sample-cave.plt";
    const CommandResult run = RunCommand(
        "env -u QT_QPA_PLATFORM LUMORA_CONFIG_DIR=" + ShellQuote(dir.File("config")) +
        " timeout 120 xvfb-run -a -s '-screen 0 1280x1024x24' " + ShellQuote(LUMORA_VIEWER) +
        " --process " + ShellQuote(sample) + " --snapshot " + ShellQuote(png));
    EXPECT_EQ(run.ExitCode, 1) << run.Out << run.Err;
    EXPECT_NE(run.Err.find(png + ": The folder " + dir.File("no-such-folder") + " does not exist"),
              std::string::npos)
        << run.Err;
    EXPECT_EQ(FolderEntries(dir.Path().string()), std::vector<std::string>{"config"});
}

// The program on a terminal without any display: the window system is asked for one (xcb), so
// anything that needs a display fails, while --help and --version answer.
CommandResult RunWithoutDisplay(const std::string& arguments) {
    return RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb timeout 60 " +
                      ShellQuote(LUMORA_VIEWER) + " " + arguments);
}

TEST(ViewerProgram, AnswersHelpAndVersionWithoutADisplay) {
    const CommandResult help = RunWithoutDisplay("--help");
    ASSERT_EQ(help.ExitCode, 0) << help.Out << help.Err;
    for (const char* option :
         {"--process <FILE>", "--snapshot <PNG>", "--turn-frames <N>", "--version", "[plotfile]"})
        EXPECT_NE(help.Out.find(option), std::string::npos) << option << " in\n" << help.Out;
    EXPECT_EQ(help.Err.find("display"), std::string::npos) << help.Err;
    const CommandResult version = RunWithoutDisplay("--version");
    ASSERT_EQ(version.ExitCode, 0) << version.Out << version.Err;
    EXPECT_EQ(version.Out, std::string("Lumora ") + LUMORA_VERSION_TEXT + "\n");
    // The window itself still needs the display.
    EXPECT_NE(RunWithoutDisplay("--process /nonexistent.plt").ExitCode, 0);
}

TEST(ViewerProgram, InstallsItsDesktopEntryManualAndThePlotFileMimeType) {
    ASSERT_TRUE(HaveProgram("update-mime-database")) << "update-mime-database is needed";
    TempDir dir;
    const std::string prefix = dir.File("usr");
    const CommandResult install =
        RunCommand(std::string(LUMORA_CMAKE) + " --install " + ShellQuote(LUMORA_BINARY_DIR) +
                   " --prefix " + ShellQuote(prefix));
    ASSERT_EQ(install.ExitCode, 0) << install.Out << install.Err;
    const std::string desktop = ReadFile(prefix + "/share/applications/lumora-viewer.desktop");
    EXPECT_NE(desktop.find("Exec=lumora-viewer --process %f"), std::string::npos);
    EXPECT_NE(desktop.find("MimeType=application/x-lumora-plot;"), std::string::npos);
    EXPECT_NE(ReadFile(prefix + "/share/doc/lumora-viewer/manual.html").find("topic-8"),
              std::string::npos);
    // The freedesktop database tool compiles the type: both extensions map to it.
    const CommandResult mime =
        RunCommand("update-mime-database " + ShellQuote(prefix + "/share/mime"));
    ASSERT_EQ(mime.ExitCode, 0) << mime.Err;
    const std::string globs = ReadFile(prefix + "/share/mime/globs2");
    EXPECT_NE(globs.find("application/x-lumora-plot:*.plt"), std::string::npos) << globs;
    EXPECT_NE(globs.find("application/x-lumora-plot:*.plf"), std::string::npos) << globs;
}

} // namespace
} // namespace lumora::test

#endif // LUMORA_VIEWER
