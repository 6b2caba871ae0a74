// lumora-exporter: the exporter window on its own. The first argument, when it names an existing
// file, is opened as a plot file when the window is first shown. `--snapshot PNG` then writes a
// picture of the window, prints its caption and quits (for end-to-end checks and the docs).
#include "exporter/gui/ExportMain.h"

#include "platform/HugePages.h"
#include "survey/SuiteSettings.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QImage>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

namespace {

// Once the window is shown and its first file read: its picture into png, its caption on
// standard output, then the program ends (exit code 1 when the picture could not be written).
void SnapshotWhenReady(lumora::exporter::TExporterForm& form, const QString& png) {
    auto* poll = new QTimer(&form);
    poll->setInterval(50);
    QObject::connect(poll, &QTimer::timeout, &form, [&form, png, poll] {
        if (form.FirstActivation || form.Busy())
            return;
        poll->stop();
        const bool saved = form.grab().toImage().save(png, "PNG");
        std::printf("%s\n", form.windowTitle().toUtf8().constData());
        if (!saved)
            std::fprintf(stderr, "%s: the picture could not be written\n", png.toUtf8().data());
        QApplication::exit(saved ? 0 : 1);
    });
    poll->start();
}

} // namespace

int main(int argc, char** argv) {
    lumora::platform::PreferHugePages(argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName("lumora-exporter");
    QApplication::setApplicationVersion(LUMORA_VERSION);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Quiltra 3D Exporter: cave-survey plot files as Shapefile sets, KML, VRML and DXF");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({"snapshot",
                      "Once the window shows (and FILE is read): write a picture of it to PNG, "
                      "print its caption and quit.",
                      "PNG"});
    parser.addPositionalArgument("FILE", "A plot file (*.plt, *.plf) to open at start.", "[FILE]");
    parser.process(app);
    lumora::survey::ReadUnitSettings();

    lumora::exporter::TExporterForm form;
    const QStringList files = parser.positionalArguments();
    form.CommandLineFile = files.isEmpty() ? std::string() : files.first().toStdString();
    form.show();
    if (parser.isSet("snapshot"))
        SnapshotWhenReady(form, parser.value("snapshot"));
    return app.exec();
}
