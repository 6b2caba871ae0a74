// The viewer window with its OpenGL view builds twenty caves of 20,000 shots in a row, as
// "Process Cave File" does: the memory it holds stays flat and no file is left open.
#include "SoakSupport.h"
#include "passage/gui/lvcavmsh.h"
#include "support/TestSupport.h"
#include "viewer/gui/lvmain.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace lumora::test {
namespace {

constexpr int kCaves = 20;

// Lets the window finish what the build posted: pending events and deferred deletions.
void Settle() {
    for (int i = 0; i < 3; ++i) {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST(ViewerSoak, TwentyCavesInARowKeepTheMemoryFlatAndLeaveNoFileOpen) {
    TempDir dir;
    // The plot files first, so that the builds are all the window does.
    std::vector<std::string> caves;
    for (int seed = 1; seed <= kCaves; ++seed) {
        caves.push_back(dir.File("cave" + std::to_string(seed) + ".plt"));
        const CommandResult gen =
            RunCommand(ShellQuote(LumoraCli()) + " gen -q --stations 20000 --seed " +
                       std::to_string(seed) + " -o " + ShellQuote(caves.back()));
        ASSERT_EQ(gen.ExitCode, 0) << gen.Err;
    }
    viewer::TForm1 w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_TRUE(w.D3DReady) << "the window has no OpenGL view";
    // Any message box (a warning, a question) is a failure here: it is noted and closed.
    std::vector<std::string> boxes;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&boxes] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxes.push_back(box->text().toStdString());
            box->done(QMessageBox::Ok);
        }
    });
    answerer.start(50);
    Settle();
    const std::map<int, std::string> before = OpenFiles();

    std::vector<long> resident;
    std::map<int, std::string> afterSecond;
    for (const std::string& cave : caves) {
        // As the program's --process: the dialog takes the file, then the build runs.
        w.CaveMeshDlg()->SetPlotFile(cave);
        w.CaveMeshDlg()->CurrentPlotFile = cave;
        ASSERT_TRUE(w.ProcessFile(cave)) << cave;
        ASSERT_TRUE(w.RenderFrame()) << cave;
        Settle();
        resident.push_back(ResidentKb());
        std::printf("build %zu: %ld kB resident, %zu files open\n", resident.size(),
                    resident.back(), OpenFiles().size());
        if (resident.size() == 2)
            afterSecond = OpenFiles();
    }
    const std::map<int, std::string> after = OpenFiles();

    EXPECT_TRUE(boxes.empty()) << boxes.front();
    ASSERT_GT(resident[1], 0);
    EXPECT_LE(resident[kCaves - 1], resident[1] + resident[1] / 10)
        << "after build 2: " << resident[1] << " kB, after build 20: " << resident[kCaves - 1]
        << " kB";
    EXPECT_GE(resident[kCaves - 1], resident[1] - resident[1] / 10);
    // From the second build on, nothing more is open; against the start, only the event loops
    // of Qt's pooled worker threads, which the first build starts and keeps (one eventfd each).
    EXPECT_EQ(after, afterSecond) << "opened since build 2:\n" << NewEntries(afterSecond, after);
    EXPECT_EQ(NewEntries(before, after, "anon_inode:[eventfd]"), "");
    for (const auto& [fd, target] : before)
        EXPECT_TRUE(after.contains(fd)) << fd << " -> " << target << " was closed by a build";
}

} // namespace
} // namespace lumora::test
