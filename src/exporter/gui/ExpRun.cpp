// The exporter window's four export buttons: their checks, their save dialogs and their engines,
// with the engines' progress in "Conversion Status".
#include "exporter/gui/ExportMain.h"

#include "exporter/DXFExport.h"
#include "exporter/KMLExport.h"
#include "exporter/ShapeExport.h"
#include "exporter/VRMLExport.h"
#include "exporter/gui/ExpFileDlg.h"
#include "survey/GeoRef.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>

#include <exception>

namespace lumora::exporter {

namespace {

QString FolderOf(const std::string& file) {
    return QFileInfo(QString::fromStdString(file)).absolutePath();
}

} // namespace

void TExporterForm::ShowStatus(const std::string& text) {
    m_StatusDis->setText(QString::fromStdString(text));
}

void TExporterForm::ShowGauge(int percent) {
    m_ProgressGauge->setValue(percent);
}

bool TExporterForm::ReadyToExport() {
    if (m_Busy)
        return false;
    if (!survey::PlotData().Loaded) {
        m_Ui->Warning(kNoPlotFileText);
        return false;
    }
    if (m_ReadToLine)
        return m_Ui->AskYesNo(
            QFileInfo(QString::fromStdString(m_PlotFileName)).fileName().toStdString() +
            ": read only to line " + std::to_string(*m_ReadToLine) + "\r\nExport what was read?");
    return true;
}

std::optional<std::string> TExporterForm::AskSaveName(const char* title, const char* filter,
                                                      const char* extension,
                                                      const char* defaultExtension) {
    const QString proposed =
        QFileInfo(QString::fromStdString(m_PlotFileName)).completeBaseName() + extension;
    const auto file = RunFileDialog(
        *m_SaveDialog, {title, filter, proposed, defaultExtension, QDir::currentPath()});
    if (file)
        QDir::setCurrent(FolderOf(*file));
    return file;
}

bool TExporterForm::RunExport(const std::string& fileShown,
                              const std::function<void(const TExportIo&)>& run) {
    TExportIo io;
    io.Ui = m_Ui;
    io.ShowStatus = [this](const std::string& text) { ShowStatus(text); };
    io.ShowGauge = [this](int percent) { ShowGauge(percent); };
    m_ArcFileDis->setText(QFileInfo(QString::fromStdString(fileShown)).fileName());
    ShowStatus("");
    ShowGauge(0);
    std::optional<std::string> failure;
    RunBusy([&] {
        try {
            run(io);
        } catch (const std::exception& e) {
            failure = e.what();
        }
    });
    if (!failure)
        return true;
    ShowStatus(kFailedText);
    m_Ui->Warning(*failure);
    return false;
}

void TExporterForm::ExportShapeBtnClick() {
    if (!ReadyToExport())
        return;
    const TExportOptions o = Options();
    std::string chosen;
    TShapeExportIo io;
    io.ChooseSetName = [this, &chosen](const std::string& offered) {
        auto file = RunFileDialog(*m_SaveDialog,
                                  {"Save Plot As Shape File",
                                   "Shapefile sets|*.shp;*.shx;*.dbf|All Files|*.*",
                                   QString::fromStdString(offered), "", QDir::currentPath()});
        chosen = file.value_or("");
        return file;
    };
    io.ShowFileName = [this](const std::string& name) {
        m_ArcFileDis->setText(QString::fromStdString(name));
    };
    RunExport("", [&](const TExportIo& common) {
        io.Ui = common.Ui;
        io.ShowStatus = common.ShowStatus;
        io.ShowGauge = common.ShowGauge;
        if (ExportShapefile(survey::PlotData(), m_PlotFileName, o, io, BoundingList))
            QDir::setCurrent(FolderOf(chosen));
    });
}

void TExporterForm::ExportVRMLBtnClick() {
    if (!ReadyToExport())
        return;
    const auto file =
        AskSaveName("Save Plot As VRML File", "WRL Files|*.wrl|All Files|*.*", ".wrl", "wrl");
    if (!file)
        return;
    const TExportOptions o = Options();
    // The VRML engine reports its gauge only; the status says when it is done.
    if (RunExport(*file,
                  [&](const TExportIo& io) { ExportVRML(survey::PlotData(), *file, o, io); }))
        ShowStatus(kCompletedText);
}

void TExporterForm::ExportDXFBtnClick() {
    if (!ReadyToExport())
        return;
    const auto file =
        AskSaveName("Save Plot As DXF File", "DXF Files|*.dxf|All Files|*.*", ".dxf", "DXF");
    if (!file)
        return;
    const TExportOptions o = Options();
    RunExport(*file, [&](const TExportIo& io) { WriteDXFFile(survey::PlotData(), *file, o, io); });
}

void TExporterForm::ExportKMLBtnClick() {
    if (!ReadyToExport())
        return;
    survey::TPlotData& data = survey::PlotData();
    if (!survey::CheckGeoreference(data, *m_Ui, ""))
        return;
    const auto file =
        AskSaveName("Save Plot As KML File", "KML Files|*.kml|All Files|*.*", ".kml", "KML");
    if (!file)
        return;
    const TExportOptions o = Options();
    RunExport(*file, [&](const TExportIo& io) {
        if (o.Kml.OverlayType == 1)
            ExportKmlLines(data, *file, o, io);
        else
            ExportKmlPolygons(data, *file, o, io);
    });
}

} // namespace lumora::exporter
