// ExpHelp — the exporter's help: its HTML user manual (help/exporter.html) in a window with
// contents and a search, and the about box.
#pragma once

#include <QDialog>
#include <QWidget>

class QLineEdit;
class QTextBrowser;

namespace lumora::exporter {

// Address of the exporter's manual among the program's resources.
inline const char* const kExporterManualUrl = "qrc:/lumora-exporter/help/exporter.html";

class TExporterHelp : public QWidget {
    Q_OBJECT
public:
    explicit TExporterHelp(QWidget* parent = nullptr);

    // "&Contents": the manual from its contents.
    void ShowContents();
    // "&Search for Help On...": the manual with the search field focused and holding key.
    void Search(const QString& key);
    // Finds text from the current place on (wrapping once); true when found.
    bool Find(const QString& text);
    QTextBrowser* Browser() const { return m_Browser; }
    QLineEdit* SearchEdit() const { return m_Search; }

private:
    void LoadManual();

    QTextBrowser* m_Browser;
    QLineEdit* m_Search;
};

// "&About": the exporter's title and version.
class TExporterAbout : public QDialog {
    Q_OBJECT
public:
    explicit TExporterAbout(QWidget* parent = nullptr);
};

} // namespace lumora::exporter
