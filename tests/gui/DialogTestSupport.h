// Helpers of the dialog tests: a small cave file, answering message boxes, counting paints,
// typing into spin boxes and clicking check marks as a user does.
#pragma once

#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <string>
#include <vector>

namespace lumora::test {

// surveys surveys of shots 10-foot shots each with passage dimensions of 2 feet, climbing climb
// feet a shot, the surveys 50 feet apart.
inline std::string Cave(const TempDir& dir, const char* name, int surveys, int shots,
                        int climb = 1) {
    std::string text = "Z 0 " + std::to_string(surveys * 50) + " 0 " + std::to_string(shots * 10) +
                       " 0 0\r\nSMain\r\n";
    for (int n = 0; n < surveys; ++n) {
        text += "NS" + std::to_string(n) + " D 1 1 2000 C\r\n";
        for (int i = 0; i <= shots; ++i)
            text += std::string(i == 0 ? "M " : "D ") + std::to_string(n * 50) + " " +
                    std::to_string(i * 10) + " " + std::to_string(i * climb) + " S" +
                    std::to_string(n) + "." + std::to_string(i) + " P 2 2 2 2 I 1.00\r\n";
        text += "X 0 0 0 0 0 0\r\n";
    }
    const std::string file = dir.File(name);
    WriteFile(file, text);
    return file;
}

// Answers the message boxes that open while it lives, keeping their texts.
class Boxes {
public:
    Boxes() {
        QObject::connect(&m_Timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                Texts.push_back(box->text().toStdString());
                box->done(QMessageBox::Ok);
            }
        });
        m_Timer.start(10);
    }
    std::vector<std::string> Texts;

private:
    QTimer m_Timer;
};

// Paint events of a widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int Paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        Paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// Types text into a spin box as a user does: select all, type, Tab to the next control (Enter
// would press the dialog's default button).
inline void TypeInto(QAbstractSpinBox* spin, const QString& text) {
    spin->setFocus();
    QLineEdit* edit = spin->findChild<QLineEdit*>();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

// A click on a check box's or radio button's mark, at its left end.
inline void ClickMark(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

} // namespace lumora::test
