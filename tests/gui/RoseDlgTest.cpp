// The "Rose Diagram" dialog offscreen: every control with its caption, default and range, the
// linkage of layers, thickness and angle, "Create Rose" with the options the controls hold, the
// empty rose, the progress bar's repaints, and the viewer's "3D Rose Diagram" command.
#include "DialogTestSupport.h"
#include "analysis/RoseTestData.h"
#include "analysis/gui/LVRose.h"
#include "support/RecordingUi.h"
#include "viewer/gui/lvmain.h"
#include "viewer/gui/lvoutpnl.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace lumora::test {
namespace {

using analysis::TRoseDlg;

// The dialog over a viewer core of its own (warnings recorded) and a survey 48 feet deep.
struct TRoseWindow {
    RecordingUi Ui;
    viewer::TViewerCore Core{Ui};
    TRoseCave Cave{0, 48};
    std::unique_ptr<TRoseDlg> Dlg;

    TRoseWindow() {
        EXPECT_EQ(viewer::CreateScene(Core.Scene), scene::Result::Ok);
        Dlg = std::make_unique<TRoseDlg>(Core, *Cave.Data);
    }
    template <typename T> T* Find(const char* name) const {
        T* found = Dlg->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QRadioButton* Radio(const char* group, const char* caption) const {
        for (auto* radio : Find<QGroupBox>(group)->findChildren<QRadioButton*>())
            if (radio->text() == caption)
                return radio;
        ADD_FAILURE() << group << " has no " << caption;
        return nullptr;
    }
    // Shows the dialog without waiting, so that clicks reach its controls.
    void Show() {
        Dlg->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Dlg.get()));
    }
    // Opens the dialog as the viewer does; check runs while it is shown, then "Close".
    void ShowThen(const std::function<void()>& check) {
        QTimer::singleShot(0, Dlg.get(), [this, check] {
            check();
            Find<QPushButton>("CancelBtn")->click();
        });
        Dlg->ShowRoseDialog();
    }
    std::vector<std::string> VisualNames() const {
        std::vector<std::string> names;
        for (const auto& visual : Core.Scene.CenterFrame->GetVisuals())
            names.push_back(visual->GetName());
        return names;
    }
};

TEST(RoseDlg, EveryControlWithItsCaptionDefaultAndRange) {
    TRoseWindow w;
    EXPECT_EQ(w.Dlg->windowTitle(), "Rose Diagram");
    auto* minLen = w.Find<QDoubleSpinBox>("MinLenSpin");
    EXPECT_EQ(minLen->value(), 0);
    EXPECT_EQ(minLen->suffix(), " Ft.");
    EXPECT_EQ(minLen->singleStep(), 1);
    EXPECT_EQ(minLen->maximum(), 100000);
    EXPECT_EQ(w.Find<QGroupBox>("GraphByRadio")->title(), "Graph By:");
    EXPECT_TRUE(w.Radio("GraphByRadio", "Total Length")->isChecked());
    EXPECT_FALSE(w.Radio("GraphByRadio", "Frequency")->isChecked());
    for (const auto& [name, caption] :
         {std::pair{"RainbowChk", "Rainbow Colors"}, std::pair{"SlopeChk", "Use Slope Length"},
          std::pair{"BaseChk", "Show Base Diagram"}}) {
        EXPECT_EQ(w.Find<QCheckBox>(name)->text(), caption);
        EXPECT_TRUE(w.Find<QCheckBox>(name)->isChecked()) << name;
    }
    auto* petals = w.Find<QSpinBox>("PetalsSpin");
    EXPECT_EQ(petals->value(), 36);
    EXPECT_EQ(petals->minimum(), 4);
    EXPECT_EQ(petals->maximum(), 360);
    EXPECT_EQ(w.Find<QLabel>("AngleDis")->text(), "10.0");
    EXPECT_EQ(w.Find<QGroupBox>("RoseTypeRadio")->title(), "Rose Type");
    EXPECT_TRUE(w.Radio("RoseTypeRadio", "360 Degree Rose")->isChecked());
    EXPECT_FALSE(w.Radio("RoseTypeRadio", "180 Degree Rose")->isChecked());
    EXPECT_FALSE(w.Radio("RoseTypeRadio", "Water Flow")->isChecked());
    auto* layers = w.Find<QSpinBox>("LayersSpin");
    EXPECT_EQ(layers->value(), 24);
    EXPECT_EQ(layers->minimum(), 2);
    EXPECT_EQ(layers->maximum(), 180);
    auto* thick = w.Find<QDoubleSpinBox>("ThickSpin");
    EXPECT_EQ(thick->suffix(), " Ft.");
    EXPECT_EQ(thick->decimals(), 2);
    EXPECT_EQ(thick->minimum(), 0.1);
    EXPECT_EQ(thick->maximum(), 1000000);
    EXPECT_EQ(thick->singleStep(), 1);
    EXPECT_EQ(w.Find<QPushButton>("CreateBtn")->text(), "Create Rose");
    EXPECT_EQ(w.Find<QPushButton>("CancelBtn")->text(), "Close");
    auto* bar = w.Find<QProgressBar>("ProgressBar1");
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    // The captions beside the spin edits.
    std::vector<std::string> labels;
    for (auto* label : w.Dlg->findChildren<QLabel*>())
        labels.push_back(label->text().toStdString());
    for (const char* caption : {"Minimum Length", "Petals", "Angle", "Layers", "Layer Thickness"})
        EXPECT_NE(std::find(labels.begin(), labels.end(), caption), labels.end()) << caption;
}

TEST(RoseDlg, LayersThicknessAndAngleFollowEachOther) {
    TRoseWindow w;
    auto* layers = w.Find<QSpinBox>("LayersSpin");
    auto* thick = w.Find<QDoubleSpinBox>("ThickSpin");
    bool shown = false;
    w.ShowThen([&] {
        shown = true;
        EXPECT_TRUE(w.Dlg->isVisible());
        EXPECT_EQ(thick->text(), "2.00 Ft."); // 48 feet over 24 layers
        TypeInto(layers, "12");
        EXPECT_EQ(thick->text(), "4.00 Ft.");
        TypeInto(thick, "3");
        EXPECT_EQ(layers->value(), 16);
        EXPECT_EQ(thick->value(), 3.0); // kept as typed
        TypeInto(thick, "0.1");
        EXPECT_EQ(layers->value(), 180); // 480, held to the limit
        TypeInto(thick, "100");
        EXPECT_EQ(layers->value(), 2); // 0.48
        TypeInto(w.Find<QSpinBox>("PetalsSpin"), "7");
        EXPECT_EQ(w.Find<QLabel>("AngleDis")->text(), "51.4");
        TypeInto(w.Find<QSpinBox>("PetalsSpin"), "360");
        EXPECT_EQ(w.Find<QLabel>("AngleDis")->text(), "1.0");
    });
    EXPECT_TRUE(shown);
    EXPECT_FALSE(w.Dlg->isVisible());
}

TEST(RoseDlg, OpeningAgainTakesTheDepthRangeOfTheSurveyThen) {
    TRoseWindow w;
    w.Find<QSpinBox>("LayersSpin")->setValue(12);
    w.Cave.Data->ClearPlotData(); // another file is read: 0 to 10 feet
    w.Cave.Data->MinBounds = {0, 0, 0};
    w.Cave.Data->MaxBounds = {0, 0, 10};
    w.ShowThen([&] {
        EXPECT_EQ(w.Find<QSpinBox>("LayersSpin")->value(), 12); // the dialog keeps its values
        EXPECT_EQ(w.Find<QDoubleSpinBox>("ThickSpin")->text(), "0.83 Ft.");
    });
}

// The options of the controls reach the rose: a 180 degree rose by frequency of 4 petals and 2
// layers, without base, no shorter shots than 5 feet.
TEST(RoseDlg, CreateRoseBuildsWithTheDialogsOptions) {
    TRoseWindow w;
    w.Cave.Move({0, 0, 10}).Shot(10, 270).Shot(10, 95).Shot(4, 95);
    w.Cave.Move({0, 0, 40}).Shot(20, 350, 10);
    w.Show();
    ClickMark(w.Radio("GraphByRadio", "Frequency"));
    ClickMark(w.Radio("RoseTypeRadio", "180 Degree Rose"));
    ClickMark(w.Find<QCheckBox>("BaseChk"));
    ClickMark(w.Find<QCheckBox>("RainbowChk"));
    TypeInto(w.Find<QSpinBox>("PetalsSpin"), "4");
    TypeInto(w.Find<QSpinBox>("LayersSpin"), "2");
    TypeInto(w.Find<QDoubleSpinBox>("MinLenSpin"), "5");
    QSignalSpy changed(w.Dlg.get(), &TRoseDlg::ModelChanged);
    QTest::mouseClick(w.Find<QPushButton>("CreateBtn"), Qt::LeftButton);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(w.Ui.Warnings.empty());
    EXPECT_EQ(w.VisualNames(), std::vector<std::string>{"Rose Builder"});
    const analysis::TRoseHistogram& h = w.Dlg->Histogram();
    EXPECT_EQ(h.Layers(), 2);
    EXPECT_EQ(h.Petals(), 4);
    // 270 folds to 90 and joins 95 in petal 1 of the bottom layer; the 4-foot shot is too short;
    // 350 folds to 170, in petal 1 too, in the top layer (its end station is above 24 feet).
    EXPECT_EQ(h.Count(0, 1), 2);
    EXPECT_EQ(h.Count(1, 1), 1);
    EXPECT_EQ(h.ShotsCounted(), 3);
    auto rose =
        std::dynamic_pointer_cast<scene::MeshBuilder>(w.Core.Scene.CenterFrame->GetVisuals().at(0));
    ASSERT_TRUE(rose);
    EXPECT_EQ(rose->GetFaceCount(), 5u * 2 * 4);
    EXPECT_EQ(rose->FaceColor(0), 0xFEFF0000u); // red without rainbow colours
    EXPECT_EQ(w.Find<QProgressBar>("ProgressBar1")->value(), 100);
    EXPECT_FALSE(w.Ui.Busy);
    EXPECT_EQ(w.Ui.BusyCursorChanges, (std::vector<bool>{true, false}));
    // Enter in a spin edit makes the rose again, as "Create Rose" is the default button.
    QLineEdit* petals = w.Find<QSpinBox>("PetalsSpin")->findChild<QLineEdit*>();
    petals->setFocus();
    QTest::keyClick(petals, Qt::Key_Enter);
    EXPECT_EQ(changed.count(), 2);
}

TEST(RoseDlg, AnEmptyRoseSaysSoAndDrawsNothing) {
    TRoseWindow w;
    w.Cave.Move({0, 0, 10}).Shot(0.5, 10);
    w.Show();
    const auto old = std::make_shared<scene::MeshBuilder>();
    old->SetName("Cave");
    w.Core.Scene.CenterFrame->AddVisual(old);
    QTest::mouseClick(w.Find<QPushButton>("CreateBtn"), Qt::LeftButton);
    EXPECT_EQ(w.Ui.Warnings, std::vector<std::string>{analysis::kEmptyRoseText});
    EXPECT_EQ(w.VisualNames(), std::vector<std::string>{"Cave"});
    EXPECT_EQ(w.Find<QProgressBar>("ProgressBar1")->value(), 0);
    // Graphing by frequency counts the short shot.
    ClickMark(w.Radio("GraphByRadio", "Frequency"));
    QTest::mouseClick(w.Find<QPushButton>("CreateBtn"), Qt::LeftButton);
    EXPECT_EQ(w.VisualNames(), (std::vector<std::string>{"Rose Builder", "Base Builder"}));
}

// A big survey reports progress at every record, but the bar is repainted at most every 50 ms
// (and at the start and the end).
TEST(RoseDlg, TheProgressBarIsRepaintedAtMostTwentyTimesASecond) {
    RecordingUi ui;
    viewer::TViewerCore core(ui);
    ASSERT_EQ(viewer::CreateScene(core.Scene), scene::Result::Ok);
    const auto cave = GeneratedCave(300000);
    TRoseDlg dlg(core, *cave);
    dlg.findChild<QSpinBox*>("LayersSpin")->setValue(180);
    dlg.findChild<QSpinBox*>("PetalsSpin")->setValue(360);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    auto* bar = dlg.findChild<QProgressBar*>("ProgressBar1");
    PaintCounter paints(bar);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(dlg.CreateBtnClick());
    const qint64 elapsed = clock.elapsed();
    EXPECT_EQ(bar->value(), 100);
    EXPECT_GE(paints.Paints, 2); // the start and the end at least
    EXPECT_LE(paints.Paints, dlg.ProgressShown());
    // The throttle's clock counts whole milliseconds, so a gap it takes for 50 ms may be a
    // little shorter on the test's clock.
    EXPECT_LE(dlg.ProgressShown(), elapsed / (analysis::kProgressRepaintInterval - 1) + 3)
        << elapsed << " ms";
}

// ---- The viewer's command ----

std::string Survey(const TempDir& dir) {
    std::string text = "Z 0 100 0 100 0 30\r\nSMain\r\nNA D 1 1 2000 C\r\n";
    text += "M 0 0 0 A0 P 2 2 2 2\r\nD 30 0 10 A1 P 2 2 2 2\r\nD 30 40 20 A2 P 2 2 2 2\r\n"
            "D 0 40 30 A3 P 2 2 2 2\r\nX 0 100 0 100 0 30\r\n";
    const std::string file = dir.File("rose.plt");
    WriteFile(file, text);
    return file;
}

std::vector<std::string> TreeTexts(const viewer::TForm1& w) {
    std::vector<std::string> out;
    for (QTreeWidgetItemIterator it(w.OutPanel()->Outline()); *it; ++it)
        out.push_back((*it)->text(0).toStdString());
    return out;
}

TEST(Form1Rose, TheRoseCommandWaitsForAPlotFileThenReplacesTheCave) {
    TempDir dir;
    viewer::TForm1 w;
    QAction* rose = w.Action("RoseMnu");
    ASSERT_TRUE(rose);
    EXPECT_EQ(rose->text(), "3D Rose Diagram");
    EXPECT_FALSE(rose->isEnabled());
    ASSERT_TRUE(w.ProcessFile(Survey(dir)));
    EXPECT_TRUE(rose->isEnabled());
    w.RunCommand("BoundingBoxMnu");
    ASSERT_TRUE(w.Action("BoundingBoxMnu")->isChecked());
    bool opened = false;
    QTimer::singleShot(0, &w, [&] {
        analysis::TRoseDlg* dlg = w.RoseDlg();
        opened = dlg->isVisible();
        EXPECT_EQ(dlg->findChild<QDoubleSpinBox*>("ThickSpin")->text(), "1.25 Ft."); // 30 / 24
        QTest::mouseClick(dlg->findChild<QPushButton*>("CreateBtn"), Qt::LeftButton);
        QTest::mouseClick(dlg->findChild<QPushButton*>("CancelBtn"), Qt::LeftButton);
    });
    rose->trigger();
    EXPECT_TRUE(opened);
    const auto texts = TreeTexts(w);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Builder - Rose Builder"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Builder - Base Builder"), texts.end());
    for (const std::string& text : texts)
        EXPECT_EQ(text.find("MeshName"), std::string::npos) << "the cave is still there";
    EXPECT_FALSE(w.Action("BoundingBoxMnu")->isChecked());
    const auto* tris = w.findChild<QLabel*>("TrisDis");
    ASSERT_TRUE(tris);
    EXPECT_EQ(tris->text(), QString::number(5 * 24 * 36 + 6));
    EXPECT_TRUE(w.Core.Scene.RenderEnabled);
}

} // namespace
} // namespace lumora::test
