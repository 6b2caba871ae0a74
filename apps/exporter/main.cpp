// lumora-exporter: the exporter window on its own. The first argument, when it names an existing
// file, is opened as a plot file when the window is first shown.
#include "exporter/gui/ExportMain.h"

#include "survey/SuiteSettings.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("lumora-exporter");
    QApplication::setApplicationVersion(LUMORA_VERSION);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Quiltra 3D Exporter: cave-survey plot files as Shapefile sets, KML, VRML and DXF");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("FILE", "A plot file (*.plt, *.plf) to open at start.", "[FILE]");
    parser.process(app);
    lumora::survey::ReadUnitSettings();

    lumora::exporter::TExporterForm form;
    const QStringList files = parser.positionalArguments();
    form.CommandLineFile = files.isEmpty() ? std::string() : files.first().toStdString();
    form.show();
    return app.exec();
}
