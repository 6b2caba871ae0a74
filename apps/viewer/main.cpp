// lumora-viewer: the viewer window. `--process FILE` builds a plot file at start as
// "Process File" would, `--open-mesh FILE` opens a mesh file as "Open Mesh..." would;
// `--snapshot PNG` then writes the view's first picture and quits (for end-to-end checks and
// timings). `--help` and `--version` answer without a display.
#include "viewer/gui/lvmain.h"

#include "analysis/gui/lvcapture.h"
#include "passage/gui/lvcavmsh.h"
#include "platform/HugePages.h"
#include "survey/SuiteSettings.h"
#include "viewer/gui/PictureFile.h"
#include "viewer/gui/lvabout.h"
#include "viewer/gui/lvmeshcmd.h"
#include "viewer/gui/lvstatus.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QSurfaceFormat>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <exception>

namespace {

// Draws frames frames, each after a turn of the model by 2 degrees, and prints their rate.
void TurnAndCount(lumora::viewer::TForm1& window, int frames);

// TurnAndCount while the view is recorded into avi, then what the capture cost.
bool CaptureAndCount(lumora::viewer::TForm1& window, int frames, const QString& avi) {
    lumora::analysis::TCaptureOptions options = window.CaptureDlg()->Options();
    options.LimitMovieSize = false; // every frame of the count, and no message box to answer
    window.CaptureDlg()->SetOptions(options);
    window.ArmCapture(avi);
    if (!window.StartCapture())
        return false;
    TurnAndCount(window, frames);
    const lumora::analysis::TVideoCapture& capture = window.Capture.Capture();
    const double grab = capture.GrabSeconds(), grabCpu = capture.GrabCpuSeconds();
    const int captured = window.Capture.FrameCount();
    window.StopCapture();
    const double encodeCpu = capture.EncodeCpuSeconds();
    std::printf("%d frames captured: read-back and hand-off %.1f ms a frame (%.1f ms of processor "
                "time), encoding %.1f ms of processor time a frame on a second thread\n",
                captured, grab * 1000 / std::max(1, captured),
                grabCpu * 1000 / std::max(1, captured), encodeCpu * 1000 / std::max(1, captured));
    return true;
}

void TurnAndCount(lumora::viewer::TForm1& window, int frames) {
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < frames; ++i) {
        lumora::viewer::RotateLocal(*window.Core.Scene.CenterFrame, {0, 1, 0}, 2.0);
        window.RenderFrame();
        QApplication::processEvents();
    }
    std::printf("%d turning frames in %.3f s: %.2f frames/s\n", frames, clock.elapsed() / 1000.0,
                frames * 1000.0 / std::max<qint64>(1, clock.elapsed()));
}

// Writes the view's first picture to snapshot, prints the seconds since clock started, turns
// the model for turnFrames frames (recording them to capture when given), and ends the program (1
// when nothing was drawn or saved).
void SnapshotAndQuit(lumora::viewer::TForm1& window, const QElapsedTimer& clock, bool drawn,
                     const QString& snapshot, int turnFrames, const QString& capture) {
    const QImage image = window.Snapshot();
    std::printf("first frame after %.3f s (%s); tris %s\n", clock.elapsed() / 1000.0,
                drawn ? "drawn" : "not drawn",
                window.Status()->findChild<QLabel*>("TrisDis")->text().toUtf8().data());
    bool saved = true;
    try {
        lumora::viewer::WritePictureFile(image, snapshot.toStdString(), "PNG");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what()); // "PNG: reason"
        saved = false;
    }
    if (turnFrames > 0 && !capture.isEmpty())
        saved = CaptureAndCount(window, turnFrames, capture) && saved;
    else if (turnFrames > 0)
        TurnAndCount(window, turnFrames);
    QApplication::exit(saved && drawn ? 0 : 1);
}

// The program's options on parser.
void DefineOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription("Lumora Viewer: cave surveys as 3D passages");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({"process", "Build the plot file FILE at start.", "FILE"});
    parser.addOption({"open-mesh", "Open the mesh file FILE at start, as Open Mesh does.", "FILE"});
    parser.addOption({"snapshot",
                      "With --process or --open-mesh: write the first picture of the view to PNG, "
                      "print the seconds from the start of the build or the read to it, and quit.",
                      "PNG"});
    parser.addOption({"turn-frames",
                      "With --snapshot: then draw N frames turning the model by 2 degrees each "
                      "and print the frames per second.",
                      "N"});
    parser.addOption({"capture",
                      "With --turn-frames: record those frames into the AVI file as \"Start/Stop "
                      "Capture\" does (18 frames a second, no frame limit) and print what the "
                      "capture cost.",
                      "AVI"});
    parser.addPositionalArgument("plotfile", "A plot file for the exporter window.", "[plotfile]");
}

void SetNames() {
    QCoreApplication::setApplicationName("Lumora");
    QCoreApplication::setApplicationVersion(
        lumora::viewer::VersionText().section(' ', -1)); // "0.1.0" of "Lumora Viewer 0.1.0"
}

// --help and --version are answered before anything needs a display, so both work on a
// terminal without one; they end the program. Anything else waits for the real parse, after
// the window system has taken its own options (-platform, -display, ...) out of argv.
void AnswerHelpAndVersion(int argc, char** argv) {
    QCoreApplication plain(argc, argv);
    SetNames();
    QCommandLineParser parser;
    DefineOptions(parser);
    parser.parse(QCoreApplication::arguments()); // mistakes are reported by the real parse
    if (parser.isSet("help"))
        parser.showHelp(0);
    if (parser.isSet("version"))
        parser.showVersion();
}

} // namespace

int main(int argc, char** argv) {
    lumora::platform::PreferHugePages(argv);
    AnswerHelpAndVersion(argc, argv);
    QSurfaceFormat format;
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setDepthBufferSize(24);
    QSurfaceFormat::setDefaultFormat(format);
    QApplication app(argc, argv);
    SetNames();
    QCommandLineParser parser;
    DefineOptions(parser);
    parser.process(app);
    lumora::survey::ReadUnitSettings(); // the suite's foot, for the exports started from here

    lumora::viewer::TForm1 window;
    window.show();
    const QString snapshot = parser.value("snapshot");
    const int turnFrames = parser.value("turn-frames").toInt();
    const QString capture = parser.value("capture");
    if (parser.isSet("process")) {
        const std::string file = parser.value("process").toStdString();
        QTimer::singleShot(0, &window, [&window, file, snapshot, turnFrames, capture] {
            QElapsedTimer clock;
            clock.start();
            try {
                window.CaveMeshDlg()->SetPlotFile(file);
            } catch (const std::exception&) {
                // the build below reports the file's failure
            }
            window.CaveMeshDlg()->CurrentPlotFile = file;
            const bool drawn = window.ProcessFile(file);
            if (!snapshot.isEmpty())
                SnapshotAndQuit(window, clock, drawn, snapshot, turnFrames, capture);
        });
    } else if (parser.isSet("open-mesh")) {
        const std::string file = parser.value("open-mesh").toStdString();
        QTimer::singleShot(0, &window, [&window, file, snapshot, turnFrames, capture] {
            QElapsedTimer clock;
            clock.start();
            const bool opened = window.MeshCommands()->OpenMeshFile(file, false);
            if (!snapshot.isEmpty())
                SnapshotAndQuit(window, clock, opened, snapshot, turnFrames, capture);
        });
    }
    return app.exec();
}
