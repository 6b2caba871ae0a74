// Opening a plot file in the exporter window: the reader with its progress, the tree, the fields,
// the caption, the recent files and the plot file's datum; a file read only in part.
#include "exporter/gui/ExportMain.h"

#include "exporter/KMLExport.h"
#include "exporter/gui/ExpFileDlg.h"
#include "exporter/gui/SurveyTree.h"
#include "platform/Error.h"
#include "survey/PlotReader.h"
#include "ui/gui/Reopen.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QTabWidget>
#include <QTreeView>

#include <charconv>
#include <exception>
#include <filesystem>

namespace lumora::exporter {

namespace {

// The line at which the reader stopped, from its message "FILE:LINE: reason"; nothing for
// failures without a line (a missing file, a file without station records).
std::optional<std::int64_t> StopLine(const std::string& message, const std::string& fileName) {
    const std::string prefix = fileName + ":";
    if (message.rfind(prefix, 0) != 0)
        return std::nullopt;
    const char* first = message.data() + prefix.size();
    const char* last = message.data() + message.size();
    std::int64_t line = 0;
    const auto [end, ec] = std::from_chars(first, last, line);
    if (ec != std::errc() || end == first || end == last || *end != ':')
        return std::nullopt;
    return line;
}

// A load that failed part way leaves the model without what the end of the file sets: the
// centre, the first station, the depth range, the default section and the loaded flag. These are
// the values the reader gives a file that ends where this one stopped being readable.
void FinishPartialModel(survey::TPlotData& data) {
    data.DepthRange = data.MaxBounds.Z - data.MinBounds.Z;
    if (data.DepthRange == 0.0)
        data.DepthRange = 0.1;
    data.FirstStation = data.Shots.Position(0);
    data.Center = survey::Scale(survey::Add(data.MinBounds, data.MaxBounds), 0.5);
    if (data.Sections.Count() == 0) {
        survey::TSectionRecord none;
        none.Name.Assign("(None)");
        none.FirstSurvey = 0;
        data.Sections.AddSection(none);
    }
    data.Loaded = true;
}

QString FileNameOnly(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).fileName();
}

} // namespace

bool TExporterForm::RunBusy(const std::function<void()>& work) {
    if (m_Busy)
        return false;
    m_Busy = true;
    // The reader and the engines let events run: no second command may start meanwhile.
    QWidget* parts[] = {m_MenuBar, m_Pages.Tabs, m_Pages.BottomBar, m_Tree};
    for (QWidget* w : parts)
        w->setEnabled(false);
    try {
        work();
    } catch (...) {
        for (QWidget* w : parts)
            w->setEnabled(true);
        m_Busy = false;
        throw;
    }
    for (QWidget* w : parts)
        w->setEnabled(true);
    m_Busy = false;
    return true;
}

bool TExporterForm::OpenPlotFile(const std::string& path) {
    const std::string fullPath = std::filesystem::absolute(path).lexically_normal().string();
    bool shown = false;
    std::optional<std::string> error;
    RunBusy([&] {
        QDir::setCurrent(QFileInfo(QString::fromStdString(fullPath)).absolutePath());
        survey::TPlotData& data = survey::PlotData();
        m_TreeModel->Detach(); // the reader replaces what the tree shows
        m_ReadToLine.reset();
        m_SurveyDis->setText("0");
        m_ShotDis->setText("0");
        auto progress = [this](std::int32_t surveys, std::int32_t records) {
            m_SurveyDis->setText(QString::number(surveys));
            m_ShotDis->setText(QString::number(records));
        };
        try {
            survey::LoadPlotFile(data, fullPath, progress, *m_Ui);
            shown = true;
        } catch (const std::exception& e) {
            error = e.what();
            m_ReadToLine = StopLine(*error, fullPath);
            if (m_ReadToLine && data.Shots.Count() > 0) {
                FinishPartialModel(data);
                m_SurveyDis->setText(QString::number(data.Surveys.Count()));
                m_ShotDis->setText(QString::number(data.Shots.Count()));
                shown = true;
            } else {
                m_ReadToLine.reset();
                data.Loaded = false; // nothing of this file, and the last one is gone
            }
        }
        if (shown)
            m_TreeModel->Attach(data);
        ShowPlotFile(fullPath, shown);
    });
    if (error)
        m_Ui->Warning(*error);
    return shown;
}

void TExporterForm::ShowPlotFile(const std::string& path, bool shown) {
    m_PlotFileName = shown ? path : std::string();
    m_FilenameDis->setText(shown ? FileNameOnly(path) : QString());
    setWindowTitle(shown ? QString(kExporterCaption) + " - " + FileNameOnly(path)
                         : QString(kExporterCaption));
    m_ReadStateDis->setVisible(m_ReadToLine.has_value());
    m_ReadStateDis->setText(m_ReadToLine ? FileNameOnly(path) + ": read only to line " +
                                               QString::number(*m_ReadToLine)
                                         : QString());
    if (!shown)
        return;
    m_Reopen->AddFile(path);
    const std::string& datum = survey::PlotData().DatumName;
    if (!datum.empty())
        if (const auto index = DatumListIndex(datum))
            m_Pages.DatumList->setCurrentIndex(*index);
}

void TExporterForm::OpenMnuClick() {
    const auto file = RunFileDialog(*m_OpenDialog, {"Open Plot File",
                                                    "Quiltra Plot Files|*.plt;*.plf|All Files|*.*",
                                                    "", "", QDir::currentPath()});
    if (file)
        OpenPlotFile(*file);
}

} // namespace lumora::exporter
