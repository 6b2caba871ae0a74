// lvhelp — the help window: the HTML user manual shipped with the program, its contents, a
// keyword search and the numbered topics the dialogs' help buttons open.
#pragma once

#include <QWidget>

class QLineEdit;
class QTextBrowser;

namespace lumora::viewer {

// Address of the manual among the program's resources.
inline const char* const kManualUrl = "qrc:/lumora/help/manual.html";

// A window of its own beside the program's other windows. Opened while a modal dialog is open,
// it belongs to that dialog for as long as the dialog is open, so the dialog does not block it;
// it opens centred over the window it was asked from.
class THelpWindow : public QWidget {
    Q_OBJECT
public:
    // owner: the main window, which holds the help window while no dialog is open.
    explicit THelpWindow(QWidget* owner = nullptr);

    // The manual from its contents.
    void ShowContents();
    // The manual at topic n (the anchor "topic-n").
    void ShowTopic(int topic);
    // The manual with the search field focused.
    void KeywordSearch();
    // Finds text from the current place on (wrapping once); true when found.
    bool Find(const QString& text);
    QTextBrowser* Browser() const { return m_Browser; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows the window for the open modal dialog, else for the owner.
    void Present();
    void MoveTo(QWidget* host);
    void CentreOn(const QWidget& host);

    QWidget* m_Owner;
    QTextBrowser* m_Browser;
    QLineEdit* m_Search;
};

} // namespace lumora::viewer
