#include "viewer/gui/lvhelp.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextCursor>
#include <QVBoxLayout>

// The manual is a resource of a static library: it is registered by hand.
static void LoadManualResource() {
    Q_INIT_RESOURCE(help);
}

namespace lumora::viewer {

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    LoadManualResource();
    setObjectName("HelpWindow");
    setWindowTitle("Lumora Viewer Help");
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
    connect(contents, &QPushButton::clicked, this, &THelpWindow::ShowContents);
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

void THelpWindow::ShowContents() {
    m_Browser->setSource(QUrl(kManualUrl));
    m_Browser->scrollToAnchor("contents");
    show();
    raise();
}

void THelpWindow::ShowTopic(int topic) {
    m_Browser->setSource(QUrl(QString(kManualUrl) + "#topic-" + QString::number(topic)));
    show();
    raise();
}

void THelpWindow::KeywordSearch() {
    if (m_Browser->source().isEmpty())
        m_Browser->setSource(QUrl(kManualUrl));
    show();
    raise();
    m_Search->setFocus();
}

bool THelpWindow::Find(const QString& text) {
    if (text.isEmpty())
        return false;
    if (m_Browser->source().isEmpty())
        m_Browser->setSource(QUrl(kManualUrl));
    if (m_Browser->find(text))
        return true;
    m_Browser->moveCursor(QTextCursor::Start);
    return m_Browser->find(text);
}

} // namespace lumora::viewer
