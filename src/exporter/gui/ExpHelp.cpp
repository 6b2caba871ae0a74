#include "exporter/gui/ExpHelp.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextCursor>
#include <QVBoxLayout>

// The manual is a resource of a static library: it is registered by hand.
static void LoadExporterManualResource() {
    Q_INIT_RESOURCE(exporter_help);
}

namespace lumora::exporter {

TExporterHelp::TExporterHelp(QWidget* parent) : QWidget(parent, Qt::Window) {
    LoadExporterManualResource();
    setObjectName("ExporterHelp");
    setWindowTitle("Quiltra 3D Exporter Help");
    resize(640, 520);
    m_Browser = new QTextBrowser;
    m_Browser->setObjectName("HelpBrowser");
    m_Search = new QLineEdit;
    m_Search->setObjectName("SearchEdit");
    m_Search->setPlaceholderText("Key word");
    auto* contents = new QPushButton("Contents");
    contents->setObjectName("ContentsBtn");
    auto* find = new QPushButton("Find");
    find->setObjectName("FindBtn");
    connect(contents, &QPushButton::clicked, this, &TExporterHelp::ShowContents);
    connect(find, &QPushButton::clicked, this, [this] { Find(m_Search->text()); });
    connect(m_Search, &QLineEdit::returnPressed, this, [this] { Find(m_Search->text()); });
    auto* bar = new QHBoxLayout;
    bar->addWidget(contents);
    bar->addWidget(new QLabel("Search:"));
    bar->addWidget(m_Search, 1);
    bar->addWidget(find);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_Browser, 1);
}

void TExporterHelp::LoadManual() {
    if (m_Browser->source().isEmpty())
        m_Browser->setSource(QUrl(kExporterManualUrl));
}

void TExporterHelp::ShowContents() {
    m_Browser->setSource(QUrl(kExporterManualUrl));
    m_Browser->scrollToAnchor("contents");
    show();
    raise();
}

void TExporterHelp::Search(const QString& key) {
    LoadManual();
    m_Search->setText(key);
    show();
    raise();
    m_Search->setFocus();
}

bool TExporterHelp::Find(const QString& text) {
    if (text.isEmpty())
        return false;
    LoadManual();
    if (m_Browser->find(text))
        return true;
    m_Browser->moveCursor(QTextCursor::Start);
    return m_Browser->find(text);
}

TExporterAbout::TExporterAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setWindowTitle("About");
    auto* title = new QLabel("Quiltra 3D Exporter");
    title->setObjectName("ProductName");
    title->setStyleSheet("font-weight: bold; font-size: 14pt");
    auto* version = new QLabel("Version " LUMORA_VERSION);
    version->setObjectName("Version");
    auto* note = new QLabel("Shapefile, KML, VRML 2.0 and DXF export of cave-survey plot files.\n"
                            "Part of Lumora Viewer.");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addWidget(note);
    layout->addWidget(buttons);
}

} // namespace lumora::exporter
