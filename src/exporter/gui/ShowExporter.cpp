#include "exporter/gui/ShowExporter.h"

#include "exporter/gui/ExportMain.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include <memory>

namespace lumora::exporter {

namespace {

// "Loading Data....." in white bold letters on black, centred on the screen.
class TLoadingWindow : public QWidget {
public:
    TLoadingWindow() : QWidget(nullptr, Qt::Tool) {
        setObjectName("ExporterLoadingWindow");
        setWindowTitle(kLoadingCaption);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setStyleSheet("background: black");
        auto* text = new QLabel(kLoadingText);
        text->setObjectName("LoadingText");
        text->setAlignment(Qt::AlignCenter);
        text->setStyleSheet("color: white; font-weight: bold; font-size: 14pt");
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(text);
        resize(260, 90);
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->geometry().center() - rect().center());
    }
};

} // namespace

TExporterForm& ExporterOf(QWidget* parent) {
    if (auto* form = parent->findChild<TExporterForm*>(QString(), Qt::FindDirectChildrenOnly))
        return *form;
    return *new TExporterForm(parent);
}

void ShowExporter(QWidget* parent, const std::string& plotFileName) {
    std::unique_ptr<TExporterForm> own;
    TExporterForm& form = parent ? ExporterOf(parent) : *(own = std::make_unique<TExporterForm>());
    if (!plotFileName.empty()) {
        TLoadingWindow loading; // closed when it goes, however the load ends
        loading.show();
        loading.repaint();
        QApplication::processEvents();
        form.OpenPlotFile(plotFileName);
    }
    form.exec();
}

} // namespace lumora::exporter
