// The "Special Effects" dialog offscreen: its controls, "24 Color Mode", "Set Color" and
// "Gradient" on the bar, colouring by depth, transparency, the rock texture on and off, the
// progress that is painted at most twenty times a second, and the viewer's command with the
// depth legend it feeds.
#include "DialogTestSupport.h"
#include "analysis/ColorTables.h"
#include "analysis/gui/lveffectsdlg.h"
#include "support/RecordingUi.h"
#include "survey/PlotArray.h"
#include "viewer/RockPicture.h"
#include "viewer/gui/lvmain.h"
#include "viewer/gui/lvviewtools.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace lumora::test {
namespace {

using analysis::FromRgbHex;
using analysis::TColorBar;
using analysis::TColorCount;
using analysis::TColorDlg;

// A mesh of that kind of one triangle per height, each standing on y 0 and reaching up to it.
scene::MeshBuilderPtr Mesh(std::uint32_t kind, std::initializer_list<float> tops) {
    auto mesh = std::make_shared<scene::MeshBuilder>();
    mesh->SetAppData(kind);
    float x = 0;
    for (float top : tops) {
        const scene::Vector points[] = {{x, 0, 0}, {x + 1, 0, 0}, {x, top, 0}};
        mesh->AddFace(points, 0xFE808080);
        x += 2;
    }
    return mesh;
}

// The dialog over a viewer core of its own (warnings recorded).
struct TEffectsWindow {
    RecordingUi Ui;
    viewer::TViewerCore Core{Ui};
    std::unique_ptr<TColorDlg> Dlg;

    TEffectsWindow() {
        EXPECT_EQ(viewer::CreateScene(Core.Scene), scene::Result::Ok);
        Dlg = std::make_unique<TColorDlg>(Core);
    }
    template <typename T> T* Find(const char* name) const {
        T* found = Dlg->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void Click(const char* button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }
    TColorBar& Bar() { return Dlg->DepthBar()->Bar(); }
    scene::MeshBuilderPtr Add(scene::MeshBuilderPtr mesh) {
        Core.Scene.CenterFrame->AddVisual(mesh);
        Core.RefreshHierarchy();
        return mesh;
    }
    void Show() {
        Dlg->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Dlg.get()));
    }
};

std::vector<std::uint32_t> Colors(const TColorBar& bar) {
    std::vector<std::uint32_t> out;
    for (int i = 0; i < bar.Count(); ++i)
        out.push_back(bar.Entry(i).Color);
    return out;
}

std::vector<int> Positions(const TColorBar& bar) {
    std::vector<int> out;
    for (int i = 0; i < bar.Count(); ++i)
        out.push_back(bar.Entry(i).Position);
    return out;
}

// Positions of an even spread of n entries.
std::vector<int> Spread(int n) {
    std::vector<int> out;
    for (int i = 0; i < n; ++i)
        out.push_back(i * 100000 / (n - 1));
    return out;
}

std::vector<std::uint32_t> Table(TColorCount count) {
    const auto table = analysis::ColorTable(count);
    return {table.begin(), table.end()};
}

TEST(ColorDlg, OpensOnColorByDepthWithItsControls) {
    TEffectsWindow w;
    EXPECT_EQ(w.Dlg->windowTitle(), "Special Effects");
    auto* pages = w.Find<QTabWidget>("PageControl1");
    ASSERT_EQ(pages->count(), 2);
    EXPECT_EQ(pages->tabText(0), "Color By Depth");
    EXPECT_EQ(pages->tabText(1), "Misc.");
    EXPECT_EQ(w.Bar().ColorCount(), TColorCount::dc24);
    EXPECT_EQ(w.Bar().ScaleFactor, 1.0);
    EXPECT_EQ(w.Dlg->DepthBar()->objectName(), "DepthBar");
    EXPECT_TRUE(w.Find<QCheckBox>("Color24Chk")->isChecked());
    EXPECT_EQ(w.Find<QCheckBox>("Color24Chk")->text(), "24 Color Mode");
    for (const auto& [name, caption] :
         {std::pair{"GradientBtn", "Gradient"}, std::pair{"SetColorBtn", "Set Color"},
          std::pair{"ColorByDepthBtn", "Color By Depth"}, std::pair{"ApplyBtn", "Apply"},
          std::pair{"SetRockBtn", "Set Rock Texture"},
          std::pair{"RemoveTextureBtn", "Remove Texture"}, std::pair{"CloseBtn", "Close"}})
        EXPECT_EQ(w.Find<QPushButton>(name)->text(), caption);
    EXPECT_NE(w.Find<QLabel>("CntDis"), nullptr);
    EXPECT_EQ(w.Find<QGroupBox>("TransparencyGroup")->title(), "Transparency");
    EXPECT_EQ(w.Find<QGroupBox>("RockGroup")->title(), "Rock Texture");
    auto* spin = w.Find<QSpinBox>("TransparentSpin");
    EXPECT_EQ(spin->value(), 55);
    EXPECT_EQ(spin->suffix(), " % ");
    EXPECT_EQ(spin->singleStep(), 1);
    EXPECT_EQ(spin->maximum(), 100);
    EXPECT_NE(w.Find<QProgressBar>("ProgressBar1"), nullptr);
    QSignalSpy help(w.Dlg.get(), &TColorDlg::HelpTopic);
    w.Click("HelpBtn");
    ASSERT_EQ(help.count(), 1);
    EXPECT_EQ(help.at(0).at(0).toInt(), 10);
    // It opens on the first tab, whichever was shown last.
    pages->setCurrentIndex(1);
    int shownTab = -1;
    QTimer::singleShot(0, w.Dlg.get(), [&] {
        shownTab = w.Dlg->isVisible() ? pages->currentIndex() : -2;
        w.Click("CloseBtn");
    });
    w.Dlg->ShowEffects();
    EXPECT_EQ(shownTab, 0);
}

TEST(ColorDlg, TwentyFourColorModeSwitchesBetweenTheTablesAndResetsTheBar) {
    TEffectsWindow w;
    w.Show();
    auto* mode = w.Find<QCheckBox>("Color24Chk");
    EXPECT_EQ(Colors(w.Bar()), Table(TColorCount::dc24));
    EXPECT_EQ(Positions(w.Bar()), Spread(24));
    ClickMark(mode);
    EXPECT_FALSE(mode->isChecked());
    EXPECT_EQ(w.Bar().ColorCount(), TColorCount::dc12);
    EXPECT_EQ(Colors(w.Bar()), Table(TColorCount::dc12));
    EXPECT_EQ(Positions(w.Bar()), Spread(13));
    w.Bar().SetEntryColor(3, 0x123456);
    w.Bar().SetBoundary(4, 50000, 200);
    ClickMark(mode);
    ClickMark(mode);
    EXPECT_EQ(w.Bar().ColorCount(), TColorCount::dc12);
    EXPECT_EQ(Colors(w.Bar()), Table(TColorCount::dc12));
    EXPECT_EQ(Positions(w.Bar()), Spread(13));
}

TEST(ColorDlg, SetColorStartsFromTheSelectedBandAndGradientBlendsBetweenTheEnds) {
    TEffectsWindow w;
    w.Bar().SetSelected(23);
    QColor offered;
    w.Dlg->ChooseColor = [&](const QColor& initial, QWidget*) {
        offered = initial;
        return QColor(0, 0, 255);
    };
    w.Click("SetColorBtn");
    EXPECT_EQ(offered, QColor(255, 0, 127)); // band 23 of the table
    EXPECT_EQ(w.Bar().Entry(23).Color, FromRgbHex(0x0000FF));
    w.Dlg->ChooseColor = [](const QColor&, QWidget*) { return QColor(); }; // cancelled
    w.Bar().SetSelected(5);
    w.Click("SetColorBtn");
    EXPECT_EQ(w.Bar().Entry(5).Color, FromRgbHex(0xFFFF00));
    w.Click("GradientBtn");
    const auto colors = Colors(w.Bar());
    EXPECT_EQ(colors[0], 0u); // outside the bar: untouched
    EXPECT_EQ(colors[1], FromRgbHex(0xFF0000));
    EXPECT_EQ(colors[2], FromRgbHex(0xF3000B)); // (243, 0, 11)
    EXPECT_EQ(colors[22], FromRgbHex(0x0B00F3));
    EXPECT_EQ(colors[23], FromRgbHex(0x0000FF));
}

// A face takes the colour of the band of its highest corner; meshes that are not cave passages
// keep theirs.
TEST(ColorDlg, ColorByDepthColoursTheCavePassagesByTheirHighestCorners) {
    TEffectsWindow w;
    const auto cave = w.Add(Mesh(analysis::kCavePassageKind, {23, 22.5f, 0}));
    const auto other = w.Add(Mesh(0, {5}));
    QSignalSpy notice(w.Dlg.get(), &TColorDlg::RenderWithNotice);
    QSignalSpy colouring(w.Dlg.get(), &TColorDlg::DepthColouring);
    w.Core.Scene.WrapRelative = true;
    w.Show();
    w.Click("ColorByDepthBtn");
    EXPECT_EQ(cave->FaceColor(0), 0xFEFF0000u);
    EXPECT_EQ(cave->FaceColor(1), 0xFEFF0000u);
    EXPECT_EQ(cave->FaceColor(2), 0xFEFF007Fu);
    EXPECT_EQ(other->FaceColor(0), 0xFE808080u);
    EXPECT_FALSE(w.Core.Scene.WrapRelative);
    EXPECT_EQ(notice.count(), 1);
    ASSERT_EQ(colouring.count(), 1);
    EXPECT_TRUE(colouring.at(0).at(0).toBool());
    EXPECT_EQ(w.Find<QLabel>("CntDis")->text(), "Transfering");
    EXPECT_EQ(w.Find<QProgressBar>("ProgressBar1")->maximum(), 4); // every face of the model
    EXPECT_EQ(w.Bar().Bottom(), 0);
    EXPECT_EQ(w.Bar().Top(), 23);
    ASSERT_FALSE(w.Ui.BusyCursorChanges.empty());
    EXPECT_TRUE(w.Ui.BusyCursorChanges.front()); // busy while colouring, and no longer
    EXPECT_FALSE(w.Ui.Busy);
}

TEST(ColorDlg, AnEmptySceneColoursNothingAndStillDraws) {
    TEffectsWindow w;
    QSignalSpy notice(w.Dlg.get(), &TColorDlg::RenderWithNotice);
    QSignalSpy colouring(w.Dlg.get(), &TColorDlg::DepthColouring);
    EXPECT_EQ(w.Dlg->ColorByDepthBtnClick(), 0u);
    EXPECT_EQ(notice.count(), 1);
    ASSERT_EQ(colouring.count(), 1);
    EXPECT_FALSE(colouring.at(0).at(0).toBool()); // no legend for a cave that is not coloured
    EXPECT_TRUE(w.Ui.Warnings.empty());
}

// The legend of the bar as it stands: colours top first and boundaries in feet.
TEST(ColorDlg, TheLegendOfTheBarGivesItsBandsInFeet) {
    TEffectsWindow w;
    w.Bar().SetRange(0, 23);
    const viewer::TDepthLegend legend = analysis::BarLegend(w.Bar(), 2.0, 100);
    const viewer::TDepthLegend even =
        viewer::DefaultDepthLegend(analysis::ColorTable(TColorCount::dc24), 100, 146);
    ASSERT_FALSE(legend.Empty());
    EXPECT_EQ(legend.Colors, even.Colors);
    ASSERT_EQ(legend.Boundaries.size(), even.Boundaries.size());
    for (std::size_t i = 0; i < even.Boundaries.size(); ++i)
        EXPECT_NEAR(legend.Boundaries[i], even.Boundaries[i], 0.001) << i;
    // A dragged boundary shows where it was dragged to.
    w.Bar().SetBoundary(1, 50000, 200);
    EXPECT_NEAR(analysis::BarLegend(w.Bar(), 2.0, 100).Boundaries[1], 123, 1e-9);
}

TEST(ColorDlg, ApplyMakesCavePassagesAndUntypedMeshesTransparent) {
    TEffectsWindow w;
    const auto cave = w.Add(Mesh(analysis::kCavePassageKind, {1, 2}));
    const auto loaded = w.Add(Mesh(0, {1}));
    const auto box = w.Add(Mesh(viewer::kBoundingBoxKind, {1}));
    QSignalSpy notice(w.Dlg.get(), &TColorDlg::RenderWithNotice);
    w.Show();
    w.Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
    TypeInto(w.Find<QSpinBox>("TransparentSpin"), "50");
    w.Click("ApplyBtn");
    EXPECT_EQ(scene::ColorAlpha(cave->FaceColor(0)), 127u);
    EXPECT_EQ(scene::ColorAlpha(cave->FaceColor(1)), 127u);
    EXPECT_EQ(scene::ColorAlpha(loaded->FaceColor(0)), 127u);
    EXPECT_EQ(scene::ColorAlpha(box->FaceColor(0)), 254u);
    EXPECT_EQ(notice.count(), 1);
}

TEST(ColorDlg, TheRockTextureGoesOnTheCavePassagesAndComesOffRed) {
    TEffectsWindow w;
    const auto cave = w.Add(Mesh(analysis::kCavePassageKind, {1, 2}));
    const auto loaded = w.Add(Mesh(0, {1}));
    QSignalSpy notice(w.Dlg.get(), &TColorDlg::RenderWithNotice);
    QSignalSpy changed(w.Dlg.get(), &TColorDlg::SceneChanged);
    QSignalSpy colouring(w.Dlg.get(), &TColorDlg::DepthColouring);
    w.Click("SetRockBtn");
    ASSERT_TRUE(cave->GetTexture());
    EXPECT_EQ(cave->GetTexture()->GetName(), viewer::kRockTextureName);
    EXPECT_FALSE(loaded->GetTexture());
    EXPECT_EQ(notice.count(), 1);
    ASSERT_EQ(colouring.count(), 1); // white under the picture: the depth colours are gone
    EXPECT_FALSE(colouring.at(0).at(0).toBool());
    w.Core.Scene.WrapRelative = true;
    w.Click("RemoveTextureBtn");
    EXPECT_FALSE(cave->GetTexture());
    EXPECT_EQ(cave->FaceColor(0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(loaded->FaceColor(0), 0xFE808080u);
    EXPECT_FALSE(w.Core.Scene.WrapRelative);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(colouring.count(), 2);
    EXPECT_EQ(notice.count(), 1);
    EXPECT_TRUE(w.Ui.Warnings.empty());
}

// A million faces report 10,000 times, but the dialog is painted only every 50 ms, and the last
// values are shown at the end.
TEST(ColorDlg, TheProgressIsPaintedAtMostTwentyTimesASecond) {
    TEffectsWindow w;
    w.Show();
    auto* bar = w.Find<QProgressBar>("ProgressBar1");
    PaintCounter paints(bar);
    analysis::TDialogProgress& progress = w.Dlg->Progress();
    progress.Start();
    progress.SetMaximum(1000000);
    for (std::size_t face = 0; face < 1000000; face += 100) {
        progress.SetPosition(face);
        progress.SetCounter(std::to_string(face));
        progress.Repaint();
    }
    progress.SetCounter("Transfering");
    progress.Finish();
    EXPECT_GE(progress.Repaints(), 2); // the first report and the end
    EXPECT_LT(progress.Repaints(), 100);
    EXPECT_LT(paints.Paints, 100);
    EXPECT_EQ(bar->maximum(), 1000000);
    EXPECT_EQ(bar->value(), 999900);
    EXPECT_EQ(w.Find<QLabel>("CntDis")->text(), "Transfering");
}

// ---- The viewer's command ----

TEST(Form1Effects, SpecialEffectsColoursTheCaveAndTheLegendShowsItsElevations) {
    TempDir dir;
    viewer::TForm1 w;
    QAction* effects = w.Action("EffectsMnu");
    ASSERT_TRUE(effects);
    EXPECT_TRUE(effects->isEnabled());
    ASSERT_TRUE(w.ProcessFile(Cave(dir, "fx.plt", 2, 6)));
    EXPECT_FALSE(w.Tools()->State().Legend);
    bool opened = false;
    QTimer::singleShot(0, &w, [&] {
        TColorDlg* dlg = w.ColorDlg();
        opened = dlg->isVisible();
        QTest::mouseClick(dlg->findChild<QPushButton*>("ColorByDepthBtn"), Qt::LeftButton);
        QTest::mouseClick(dlg->findChild<QPushButton*>("CloseBtn"), Qt::LeftButton);
    });
    effects->trigger();
    EXPECT_TRUE(opened);
    const auto& legend = w.Tools()->State().Legend;
    ASSERT_TRUE(legend);
    const auto table = Table(TColorCount::dc24);
    EXPECT_EQ(legend->Colors, std::vector<std::uint32_t>(table.begin() + 1, table.end()));
    // The survey climbs from 0 to 6 feet in passages 2 feet high and deep.
    EXPECT_NEAR(legend->Boundaries.front(), 8, 0.5);
    EXPECT_NEAR(legend->Boundaries.back(), -2, 0.5);
    // Taking the rock texture off turns the passages red: no legend.
    QTimer::singleShot(0, &w, [&] {
        QTest::mouseClick(w.ColorDlg()->findChild<QPushButton*>("RemoveTextureBtn"),
                          Qt::LeftButton);
        QTest::mouseClick(w.ColorDlg()->findChild<QPushButton*>("CloseBtn"), Qt::LeftButton);
    });
    effects->trigger();
    EXPECT_FALSE(w.Tools()->State().Legend);
}

} // namespace
} // namespace lumora::test
