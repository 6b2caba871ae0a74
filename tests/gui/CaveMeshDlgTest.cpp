// The process dialog: the estimate of a plot file, which controls refresh it, the options it
// hands to the build, and the progress dialog's abort.
#include "passage/gui/lvcavmsh.h"
#include "passage/gui/lvprogrs.h"
#include "platform/Error.h"
#include "support/TestSupport.h"
#include "survey/PlotArray.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace lumora::test {
namespace {

// A plot file of one survey: a move and draws draw records (with up to 'hidden' lower-case
// hidden draws after them).
std::string PlotFile(const TempDir& dir, int draws, int hidden = 0, const char* name = "cave.plt") {
    std::string text = "Z 0 10 0 10 0 0\r\nSMain\r\nNA D 1 1 2000 C\r\n";
    text += "M 0 0 0 SA0 P 1 1 1 1 I 1.00\r\n";
    for (int i = 1; i <= draws; ++i)
        text += "D " + std::to_string(i) + " 0 0 SA" + std::to_string(i) + " P 1 1 1 1 I 1.00\r\n";
    for (int i = 1; i <= hidden; ++i)
        text += "d " + std::to_string(i) + " 1 0 SB" + std::to_string(i) + " P 1 1 1 1 I 1.00\r\n";
    text += "X 0 0 0 0 0 0\r\n";
    const std::string file = dir.File(name);
    WriteFile(file, text);
    return file;
}

QString Text(const QWidget& dlg, const char* name) {
    const auto* label = dlg.findChild<QLabel*>(name);
    return label ? label->text() : QString("<no %1>").arg(name);
}

template <typename T> T* Find(const QWidget& dlg, const char* name) {
    T* widget = dlg.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

QAbstractButton* Radio(const QWidget& dlg, const char* group, const char* caption) {
    for (auto* button : dlg.findChild<QWidget*>(group)->findChildren<QAbstractButton*>())
        if (button->text() == caption)
            return button;
    ADD_FAILURE() << caption;
    return nullptr;
}

TEST(CaveMeshDlg, HundredDrawsAndOneMoveEstimate102Shots1608PolygonsAndPoint6Meg) {
    TempDir dir;
    passage::TCaveMeshDlg dlg;
    dlg.SetPlotFile(PlotFile(dir, 100));
    EXPECT_EQ(Text(dlg, "ShotDis"), "102");
    EXPECT_EQ(Text(dlg, "PolyDis"), "1608");
    EXPECT_EQ(Text(dlg, "MeshSizeDis"), "0.6 Meg");
    EXPECT_EQ(passage::MeshBytes(passage::TMeshEstimate{6416, 12832, 1608}), 627528);
    EXPECT_EQ(Text(dlg, "FileDis"), "cave.plt");
    EXPECT_EQ(Text(dlg, "MessDis1"), ""); // this machine has more than 0.6 Meg
    EXPECT_EQ(Text(dlg, "MessDis2"), "");
    EXPECT_TRUE(Text(dlg, "MemSizeDis").endsWith(" Meg"));
}

TEST(CaveMeshDlg, HiddenDrawsCountNeitherAsShotsNorAsEnds) {
    TempDir dir;
    passage::TCaveMeshDlg dlg;
    dlg.SetPlotFile(PlotFile(dir, 100, 7));
    EXPECT_EQ(Text(dlg, "ShotDis"), "102");
    EXPECT_EQ(Text(dlg, "PolyDis"), "1608");
}

TEST(CaveMeshDlg, MoreThan64000FacesWarns) {
    TempDir dir;
    passage::TCaveMeshDlg dlg;
    dlg.SetPlotFile(PlotFile(dir, 4100)); // 8 x 8199 + 16 faces
    EXPECT_GT(Text(dlg, "PolyDis").toLongLong(), 64000);
    EXPECT_EQ(Text(dlg, "MessDis2"), passage::kFaceWarning);
}

TEST(CaveMeshDlg, OnlyShapeRoundingSealAndSubstitutionRefreshTheEstimate) {
    TempDir dir;
    passage::TCaveMeshDlg dlg;
    const std::string file = PlotFile(dir, 100);
    dlg.SetPlotFile(file);
    PlotFile(dir, 10); // the file shrinks behind the dialog's back
    QTest::mouseClick(Find<QCheckBox>(dlg, "VerticalChk"), Qt::LeftButton);
    Find<QDoubleSpinBox>(dlg, "CornerAngleSpin")->setValue(45);
    Find<QDoubleSpinBox>(dlg, "VerticalAngleSpin")->setValue(70);
    Find<QCheckBox>(dlg, "ExpandChk")->click();
    EXPECT_EQ(Text(dlg, "PolyDis"), "1608"); // not refreshed
    Find<QCheckBox>(dlg, "SubChk")->click();
    const QString afterSub = Text(dlg, "PolyDis");
    EXPECT_NE(afterSub, "1608"); // refreshed from the 10-shot file
    PlotFile(dir, 100);
    Radio(dlg, "PassShapeRadio", "Square")->click();
    EXPECT_EQ(Text(dlg, "PolyDis"), "804"); // 4 x 199 walls + 4 x 2 caps
    PlotFile(dir, 10);
    Radio(dlg, "CornerRadio", "None")->click();
    EXPECT_NE(Text(dlg, "PolyDis"), "804");
    PlotFile(dir, 100);
    Find<QCheckBox>(dlg, "SealChk")->click();
    EXPECT_EQ(Text(dlg, "ShotDis"), "102");
}

TEST(CaveMeshDlg, AFileSetFromTheRecentListShowsItsOwnShotCount) {
    TempDir dir;
    passage::TCaveMeshDlg dlg;
    dlg.SetPlotFile(PlotFile(dir, 100));
    dlg.CurrentPlotFile = PlotFile(dir, 20, 0, "other.plt"); // as "Reopen" sets it
    dlg.RefreshEstimate();
    EXPECT_EQ(Text(dlg, "ShotDis"), "22");
    EXPECT_EQ(dlg.ShotCount, 22);
}

TEST(CaveMeshDlg, SubstitutionOffAppliesZeroWhateverTheSpinShows) {
    passage::TCaveMeshDlg dlg;
    Find<QCheckBox>(dlg, "SubChk")->setChecked(false);
    EXPECT_EQ(Find<QDoubleSpinBox>(dlg, "SubSpin")->value(), 2.0);
    passage::TPassageOptions options;
    options.SubstituteDiam = 5;
    options.MetricUnits = true;
    options.MergePass = false;
    options.CenterOnCave = true;
    dlg.ApplyMeshOptions(options);
    EXPECT_EQ(options.SubstituteDiam, 0.0);
    // The defaults of the dialog ...
    EXPECT_EQ(options.PassShape, passage::TPassShape::Octagon);
    EXPECT_EQ(options.RoundDepth, 1);
    EXPECT_EQ(options.CornerThreshold, 20.0);
    EXPECT_EQ(options.VerticalThreshold, 50.0);
    EXPECT_TRUE(options.SealEnds);
    EXPECT_TRUE(options.ExpandWalls);
    EXPECT_TRUE(options.VerticalPrisms);
    // ... and the fields it does not own stay.
    EXPECT_TRUE(options.MetricUnits);
    EXPECT_FALSE(options.MergePass);
    EXPECT_TRUE(options.CenterOnCave);
}

TEST(CaveMeshDlg, ControlsCarryTheirCaptionsAndLimits) {
    passage::TCaveMeshDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "Cave Mesh Settings");
    EXPECT_EQ(Find<QPushButton>(dlg, "OKBtn")->text(), "Process File");
    EXPECT_TRUE(Find<QPushButton>(dlg, "OKBtn")->isDefault());
    EXPECT_EQ(Find<QCheckBox>(dlg, "SubChk")->text(), "Subst. Missing LRUDs");
    EXPECT_EQ(Find<QDoubleSpinBox>(dlg, "CornerAngleSpin")->maximum(), 180.0);
    EXPECT_EQ(Find<QDoubleSpinBox>(dlg, "SubSpin")->maximum(), 90.0);
    EXPECT_EQ(Find<QDoubleSpinBox>(dlg, "SubSpin")->suffix(), " Ft.");
    EXPECT_EQ(Find<QDoubleSpinBox>(dlg, "VerticalAngleSpin")->suffix(), " Deg.");
    EXPECT_TRUE(dlg.CurrentPlotFile.empty());
    EXPECT_EQ(dlg.ShotCount, 1);
}

TEST(CaveMeshDlg, AMissingFileThrowsAndKeepsTheDialogUsable) {
    TempDir dir;
    passage::TCaveMeshDlg dlg;
    EXPECT_THROW(dlg.SetPlotFile(dir.File("gone.plt")), lumora::Error);
    EXPECT_EQ(Text(dlg, "FileDis"), "gone.plt");
}

TEST(ProgressDlg, AbortSetsBothAbortFlags) {
    survey::TPlotData data;
    passage::TPassageRunState state;
    passage::TProgressDlg dlg(data, state);
    dlg.Show();
    dlg.SetAction("Clearing Data");
    dlg.SetShots("42");
    EXPECT_EQ(Text(dlg, "ActionDis"), "Clearing Data");
    EXPECT_EQ(Text(dlg, "ShotDis"), "42");
    QTest::mouseClick(Find<QPushButton>(dlg, "AbortBtn"), Qt::LeftButton);
    EXPECT_TRUE(data.AbortLoad);
    EXPECT_TRUE(state.AbortPassages);
    dlg.Hide();
    EXPECT_FALSE(dlg.isVisible());
}

} // namespace
} // namespace lumora::test
