#include "viewer/gui/lvhelp.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QTextCursor>
#include <QVBoxLayout>

#include <algorithm>

// The manual is a resource of a static library: it is registered by hand.
static void LoadManualResource() {
    Q_INIT_RESOURCE(help);
}

namespace lumora::viewer {

THelpWindow::THelpWindow(QWidget* owner) : QWidget(owner, Qt::Window), m_Owner(owner) {
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
    Present();
}

void THelpWindow::ShowTopic(int topic) {
    m_Browser->setSource(QUrl(QString(kManualUrl) + "#topic-" + QString::number(topic)));
    Present();
}

void THelpWindow::KeywordSearch() {
    if (m_Browser->source().isEmpty())
        m_Browser->setSource(QUrl(kManualUrl));
    Present();
    m_Search->setFocus();
}

void THelpWindow::Present() {
    QWidget* modal = QApplication::activeModalWidget();
    QWidget* host = modal && modal != this ? modal : m_Owner;
    const bool opening = !isVisible() || host != parentWidget();
    if (host != parentWidget())
        MoveTo(host);
    if (opening && host)
        CentreOn(*host);
    show();
    raise();
    activateWindow();
}

void THelpWindow::MoveTo(QWidget* host) {
    if (QWidget* old = parentWidget(); old && old != m_Owner)
        old->removeEventFilter(this);
    setParent(host, Qt::Window); // hides the window
    if (host && host != m_Owner)
        host->installEventFilter(this); // to come back to the owner when the dialog closes
}

void THelpWindow::CentreOn(const QWidget& host) {
    // A window about to open has no frame yet: it will get one like the host's.
    const QSize outer = size() + (host.frameGeometry().size() - host.size());
    QRect placed(QPoint(0, 0), outer);
    placed.moveCenter(host.frameGeometry().center());
    if (const QScreen* screen = host.screen()) {
        const QRect area = screen->availableGeometry();
        placed.moveLeft(
            std::max(area.left(), std::min(placed.left(), area.right() - placed.width() + 1)));
        placed.moveTop(
            std::max(area.top(), std::min(placed.top(), area.bottom() - placed.height() + 1)));
    }
    move(placed.topLeft());
}

bool THelpWindow::eventFilter(QObject* watched, QEvent* event) {
    // The dialog that holds the help window closes: the help stays open, held by the owner.
    if (event->type() == QEvent::Hide && watched == parentWidget() && watched != m_Owner) {
        const QRect geometry = this->geometry();
        const bool open = isVisible();
        MoveTo(m_Owner);
        setGeometry(geometry);
        if (open)
            show();
    }
    return QWidget::eventFilter(watched, event);
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
