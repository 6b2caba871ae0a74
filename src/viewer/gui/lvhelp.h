// lvhelp — the help window: the HTML user manual shipped with the program, its contents, a
// keyword search and the numbered topics the dialogs' help buttons open.
#pragma once

#include <QWidget>

class QLineEdit;
class QTextBrowser;

namespace lumora::viewer {

// Address of the manual among the program's resources.
inline const char* const kManualUrl = "qrc:/lumora/help/manual.html";

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);

    // The manual from its contents.
    void ShowContents();
    // The manual at topic n (the anchor "topic-n").
    void ShowTopic(int topic);
    // The manual with the search field focused.
    void KeywordSearch();
    // Finds text from the current place on (wrapping once); true when found.
    bool Find(const QString& text);
    QTextBrowser* Browser() const { return m_Browser; }

private:
    QTextBrowser* m_Browser;
    QLineEdit* m_Search;
};

} // namespace lumora::viewer
