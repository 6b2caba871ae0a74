// What the exporter window's tests share: a window on a settings folder of its own with a
// recording user, the controls found by name, and answers to its modal dialogs as a user gives
// them (the dialog is found on the screen, filled in and accepted).
#pragma once

#include "exporter/gui/ExpControls.h"
#include "exporter/gui/ExportMain.h"
#include "support/RecordingUi.h"
#include "support/TestSupport.h"
#include "survey/PlotArray.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace lumora::test {

// A window whose settings folder, settings file and recent files are the test's own, whose
// messages go to Ui, on an empty survey model.
struct TExporterFixture {
    // Opening a file makes its folder current: the test's folder goes at the end, the current
    // folder must not go with it.
    struct TCurrentFolder {
        std::filesystem::path Saved = std::filesystem::current_path();
        ~TCurrentFolder() { std::filesystem::current_path(Saved); }
    } CurrentFolder;
    TempDir Dir;
    EnvScope Config{"LUMORA_CONFIG_DIR", Dir.File("config")};
    RecordingUi Ui;
    std::unique_ptr<exporter::TExporterForm> Form;

    TExporterFixture() {
        survey::PlotData().ClearPlotData();
        survey::PlotData().Loaded = false;
        Form = std::make_unique<exporter::TExporterForm>(nullptr, &Ui);
        Form->FirstActivation = false; // the tests' own arguments are no plot file
    }
    template <class T> T* Find(const char* name) const {
        T* widget = Form->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString Text(const char* name) const {
        const auto* label = Form->findChild<QLabel*>(name);
        return label ? label->text() : QString("<no %1>").arg(name);
    }
    void Click(const char* button) const { Find<QPushButton>(button)->click(); }
    // A radio button of the named group by its caption.
    QAbstractButton* Radio(const char* group, const QString& caption) const {
        for (auto* button : Find<QWidget>(group)->findChildren<QAbstractButton*>())
            if (button->text() == caption)
                return button;
        ADD_FAILURE() << group << ": " << caption.toStdString();
        return nullptr;
    }
    // A plot file of the test's folder.
    std::string Plot(const std::string& name, const std::string& text) const {
        const std::string file = Dir.File(name);
        WriteFile(file, text);
        return file;
    }
};

// Answers dialog the first time it is on the screen, by running answer (which fills it in and
// accepts or rejects it). Keeps looking until then; expects to have answered when it goes.
class TDialogAnswer {
public:
    // mustShow false: the dialog must not show; if it does it is cancelled and the test fails.
    TDialogAnswer(QDialog* dialog, std::function<void(QDialog&)> answer, bool mustShow = true)
        : m_Dialog(dialog), m_Answer(std::move(answer)), m_MustShow(mustShow) {
        m_Timer.setInterval(5);
        QObject::connect(&m_Timer, &QTimer::timeout, [this] {
            if (!m_Dialog->isVisible())
                return;
            if (m_Answered) {
                // The answer did not close the dialog (a busy machine, a refused name): give it
                // two seconds, then close it and say so rather than wait for ever.
                if (++m_TicksStillOpen < 400)
                    return;
                m_Timer.stop();
                ADD_FAILURE() << "the dialog stayed open after its answer";
                m_Dialog->reject();
                return;
            }
            Title = m_Dialog->windowTitle();
            m_Answer(*m_Dialog);
            m_Answered = true;
        });
        m_Timer.start();
    }
    ~TDialogAnswer() {
        EXPECT_EQ(m_Answered, m_MustShow)
            << (m_MustShow ? "the dialog never showed" : "a dialog showed that should not");
    }
    bool Answered() const { return m_Answered; }
    QString Title; // the dialog's title when it showed

private:
    QDialog* m_Dialog;
    std::function<void(QDialog&)> m_Answer;
    bool m_MustShow;
    QTimer m_Timer;
    bool m_Answered = false;
    int m_TicksStillOpen = 0;
};

// Cancels dialog if it shows, and fails the test then.
inline std::unique_ptr<TDialogAnswer> NoDialog(QDialog* dialog) {
    return std::make_unique<TDialogAnswer>(
        dialog, [](QDialog& d) { d.reject(); }, false);
}

// What a file dialog offered when it showed.
struct TSeenFileDialog {
    QString Title;
    QStringList Filters;
    QString DefaultSuffix;
    QString Proposed; // the file name in the name field
    QString Folder;
};

// Chooses path in the file dialog (nothing: cancels) and records what it offered.
inline std::unique_ptr<TDialogAnswer>
ChooseFile(QFileDialog* dialog, std::optional<std::string> path, TSeenFileDialog* seen = nullptr) {
    return std::make_unique<TDialogAnswer>(dialog, [path, seen](QDialog& d) {
        auto& files = static_cast<QFileDialog&>(d);
        if (seen) {
            seen->Title = files.windowTitle();
            seen->Filters = files.nameFilters();
            seen->DefaultSuffix = files.defaultSuffix();
            const auto* name = files.findChild<QLineEdit*>("fileNameEdit");
            seen->Proposed = name ? name->text() : QString();
            seen->Folder = files.directory().absolutePath();
        }
        if (!path) {
            d.reject();
            return;
        }
        // Typed into the name field, as a user does (the field has the focus, so selectFile
        // would leave it as it is).
        auto* name = files.findChild<QLineEdit*>("fileNameEdit");
        if (!name) {
            ADD_FAILURE() << "the file dialog has no name field";
            d.reject();
            return;
        }
        name->setText(QString::fromStdString(*path));
        d.accept(); // QFileDialog's own accept, reached through QDialog's public one
    });
}

// Picks color in the colour dialog.
inline std::unique_ptr<TDialogAnswer> ChooseColor(QColorDialog* dialog, const QColor& color,
                                                  QColor* startedWith = nullptr) {
    return std::make_unique<TDialogAnswer>(dialog, [color, startedWith](QDialog& d) {
        auto& colors = static_cast<QColorDialog&>(d);
        if (startedWith)
            *startedWith = colors.currentColor();
        colors.setCurrentColor(color);
        colors.accept();
    });
}

} // namespace lumora::test
