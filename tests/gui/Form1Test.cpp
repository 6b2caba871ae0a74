// The main window on a display without OpenGL: the command table, start-up state, the cave
// build with its abort, shots, the hierarchy panel's width rules, the mouse rules, test objects
// and the small dialogs.
#include "DialogTestSupport.h"
#include "passage/gui/lvcavmsh.h"
#include "passage/gui/lvprogrs.h"
#include "support/TestSupport.h"
#include "survey/PlotArray.h"
#include "ui/gui/HelpIcon.h"
#include "ui/gui/Reopen.h"
#include "viewer/gui/lvedfram.h"
#include "viewer/gui/lvhelp.h"
#include "viewer/gui/lvmain.h"
#include "viewer/gui/lvoutpnl.h"
#include "viewer/gui/lvstatus.h"
#include "viewer/gui/lvtoolbar.h"
#include "viewer/gui/lvtordlg.h"
#include "viewer/gui/lvtrans.h"
#include "viewer/gui/lvview.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <set>

namespace lumora::test {
namespace {

using viewer::TForm1;

// A cave on one level.
std::string FlatCave(const TempDir& dir, const char* name, int surveys, int shots) {
    return Cave(dir, name, surveys, shots, 0);
}

QString StatusField(const TForm1& w, const char* name) {
    const auto* label = w.findChild<QLabel*>(name);
    return label ? label->text() : QString("<no %1>").arg(name);
}

std::vector<std::string> TreeTexts(const TForm1& w) {
    std::vector<std::string> out;
    for (QTreeWidgetItemIterator it(w.OutPanel()->Outline()); *it; ++it)
        out.push_back((*it)->text(0).toStdString());
    return out;
}

// A mouse move over the view with these buttons and keys held (QTest's moves carry no keys).
void MoveMouse(QWidget* view, QPoint at, Qt::MouseButtons buttons, Qt::KeyboardModifiers keys) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), view->mapToGlobal(QPointF(at)), Qt::NoButton,
                     buttons, keys);
    QApplication::sendEvent(view, &move);
}

// What the window system shows as a window's caption: Qt's platform plugins append " — " and the
// application's display name to a caption that does not end with it, when the caption is set
// (QWidget::windowTitle). Records that text at every change of the caption.
class ShownCaptions : public QObject {
public:
    explicit ShownCaptions(QWidget& window) { window.installEventFilter(this); }
    static std::string Shown(const QString& caption) {
        const QString name = QGuiApplication::applicationDisplayName();
        return (caption.endsWith(name) ? caption : caption + QString::fromUtf8(" \u2014 ") + name)
            .toStdString();
    }
    std::vector<std::string> Texts;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowTitleChange)
            Texts.push_back(Shown(static_cast<QWidget*>(watched)->windowTitle()));
        return false;
    }
};

float SpinAngle(const TForm1& w) {
    scene::Vector axis;
    float angle = 0;
    w.Core.Scene.CenterFrame->GetRotation(axis, angle);
    return angle;
}

TEST(Form1, MenusHoldEveryItemWithItsCaptionAndState) {
    TForm1 w;
    struct Item {
        const char* Menu;
        const char* Caption;
        bool Enabled;
    };
    const std::vector<Item> expected = {
        {"&File", "&Process Cave File...", true},
        {"&File", "Reopen", true},
        {"&File", "&Open Mesh...", true},
        {"&File", "O&pen Progressive Mesh...", true},
        {"&File", "&Save As X File...", true},
        {"&File", "Save As glTF...", true},
        {"&File", "Save Screen As &Bitmap...", true},
        {"&File", "&Export 3D File Formats...", true},
        {"&File", "&Test Objects..", true},
        {"&File", "Exit", true},
        {"&Cave", "&Special Effects...", true},
        {"&Cave", "S&how Shots", true},
        {"&Cave", "Show S&tations", true},
        {"&Cave", "&Bounding Box", true},
        {"&Cave", "3D Rose Diagram", false},
        {"&Edit", "&Copy", true},
        {"&Edit", "&Arm AVI Capture..", true},
        {"&View", "&Hierarchy ", true},
        {"&View", "&Transforms...", true},
        {"&View", "&Anti-aliasing", true},
        {"&Settings", "&Scene Settings...", true},
        {"&Settings", "S&hadow", true},
        {"&Settings", "Enable &Joystick", false},
        {"&Settings", "&Display Modes..", true},
        {"&Settings", "De&vices...", true},
        {"&Settings", "&Capture Options...", true},
        {"&Help", "&Index", true},
        {"&Help", "Key Word Search", true},
        {"&Help", "&About...", true},
    };
    // The view tools' items follow the specified ones of their menus, after a separator.
    const std::set<QString> added = {
        "PlanMnu",     "ProfileNorthMnu", "ProfileEastMnu", "ProfileSouthMnu", "ProfileWestMnu",
        "FitModelMnu", "CompassMnu",      "ScaleBarMnu",    "DepthLegendMnu",  "StationNamesMnu",
        "FeetMnu",     "MetersMnu",       "FindMnu",        "ClearMeasureMnu"};
    std::size_t n = 0;
    for (QAction* menuAction : w.menuBar()->actions()) {
        bool past = false;
        for (QAction* item : menuAction->menu()->actions()) {
            if (item->isSeparator() || added.count(item->objectName())) {
                past = true;
                continue;
            }
            EXPECT_FALSE(past) << item->text().toStdString(); // none after the additions
            ASSERT_LT(n, expected.size()) << item->text().toStdString();
            EXPECT_EQ(menuAction->text().toStdString(), expected[n].Menu);
            EXPECT_EQ(item->text().toStdString(), expected[n].Caption);
            EXPECT_EQ(item->isEnabled(), expected[n].Enabled) << expected[n].Caption;
            ++n;
        }
    }
    EXPECT_EQ(n, expected.size());
    EXPECT_TRUE(w.Action("ShowShotsMnu")->isCheckable());
    EXPECT_FALSE(w.Action("ShowShotsMnu")->isChecked());
    // Without a joystick "Enable &Joystick" is disabled and unchecked.
    EXPECT_TRUE(w.Action("JoystickMnu")->isCheckable());
    EXPECT_FALSE(w.Action("JoystickMnu")->isChecked());
}

TEST(Form1, OpensWithoutOpenGlShowingANoticeAndTheStartUpScene) {
    TForm1 w;
    w.show();
    EXPECT_EQ(w.windowTitle(), "Lumora Viewer");
    EXPECT_TRUE(w.D3DReady);
    EXPECT_FALSE(w.View()->HasGlView());
    EXPECT_TRUE(w.View()->NoticeText().contains("OpenGL"));
    EXPECT_EQ(TreeTexts(w),
              (std::vector<std::string>{"Frame - Scene Frame", "Light - Ambient Light",
                                        "Frame - Light Frame", "Light - Direct Light",
                                        "Frame - Center Frame", "Frame - Camera Frame"}));
    EXPECT_EQ(w.OutPanel()->PageName(), "FramePage");
    EXPECT_EQ(StatusField(w, "TrisDis"), "0");
    EXPECT_EQ(StatusField(w, "FpsDis"), "0");
    EXPECT_FALSE(w.RenderFrame()); // nothing is drawn before a model exists
    EXPECT_EQ(w.OutPanelWidth(), viewer::kOutPanelWidth);
}

TEST(Form1, ProcessFileBuildsTheCaveCaptionRecentFileAndTriangleTotal) {
    TempDir dir;
    TForm1 w;
    const std::string file = FlatCave(dir, "walls.plt", 3, 5);
    ASSERT_TRUE(w.ProcessFile(file));
    EXPECT_EQ(w.windowTitle(), "walls.plt - Lumora Viewer");
    ASSERT_GE(w.Reopen()->Count(), 1);
    EXPECT_EQ(w.Reopen()->Path(0), file);
    std::size_t faces = 0;
    for (const auto& visual : w.Core.Scene.CenterFrame->GetVisuals())
        if (auto mesh = std::dynamic_pointer_cast<scene::MeshBuilder>(visual))
            faces += mesh->GetFaceCount();
    EXPECT_GT(faces, 0u);
    EXPECT_EQ(StatusField(w, "TrisDis"), QString::number(qulonglong(faces)));
    EXPECT_TRUE(w.Core.Scene.RenderEnabled);
    EXPECT_TRUE(w.RoseAvailable);
    EXPECT_TRUE(w.RenderFrame());
    EXPECT_FALSE(StatusField(w, "YawDis").isEmpty());
    const auto texts = TreeTexts(w);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Builder - MeshName1"), texts.end())
        << texts.size();
    // The bounding box adds its six faces to the total.
    w.RunCommand("BoundingBoxMnu");
    EXPECT_TRUE(w.Action("BoundingBoxMnu")->isChecked());
    EXPECT_EQ(StatusField(w, "TrisDis"), QString::number(qulonglong(faces + 6)));
}

TEST(Form1, TheCaptionNamesOnlyTheCurrentFileOnce) {
    TempDir dir;
    TForm1 w;
    EXPECT_EQ(ShownCaptions::Shown(w.windowTitle()), "Lumora Viewer");
    ShownCaptions shown(w);
    ASSERT_TRUE(w.ProcessFile(FlatCave(dir, "first.plt", 1, 3)));
    ASSERT_TRUE(w.ProcessFile(FlatCave(dir, "second.plt", 1, 3)));
    ASSERT_TRUE(w.ProcessFile(FlatCave(dir, "third.plt", 1, 3)));
    EXPECT_EQ(shown.Texts,
              (std::vector<std::string>{"first.plt - Lumora Viewer", "second.plt - Lumora Viewer",
                                        "third.plt - Lumora Viewer"}));
}

TEST(Form1, AbortWhileReadingLeavesTheSceneEmptyAndTheCheckMarksAsTheyWere) {
    TempDir dir;
    TForm1 w;
    ASSERT_TRUE(w.ProcessFile(FlatCave(dir, "first.plt", 2, 3)));
    w.RunCommand("ShowShotsMnu");
    ASSERT_TRUE(w.Action("ShowShotsMnu")->isChecked());
    w.RoseAvailable = false;
    const std::string big = FlatCave(dir, "big.plt", 60, 10);
    QTimer::singleShot(0, &w, [&w] {
        QTest::mouseClick(w.ProgressDlg()->findChild<QPushButton*>("AbortBtn"), Qt::LeftButton);
    });
    EXPECT_FALSE(w.ProcessFile(big));
    EXPECT_TRUE(w.Core.Scene.CenterFrame->GetVisuals().empty());
    EXPECT_TRUE(w.Action("ShowShotsMnu")->isChecked());
    EXPECT_FALSE(w.RoseAvailable);
    // The aborted file was never read: it names nothing.
    EXPECT_EQ(w.windowTitle(), "first.plt - Lumora Viewer");
    EXPECT_EQ(w.Reopen()->Path(0), dir.File("first.plt"));
    EXPECT_FALSE(w.ProgressDlg()->isVisible());
    EXPECT_TRUE(w.menuBar()->isEnabled());
    // The hierarchy and the triangle total follow the emptied model.
    for (const std::string& text : TreeTexts(w))
        EXPECT_EQ(text.rfind("Builder", 0), std::string::npos) << text;
    EXPECT_EQ(StatusField(w, "TrisDis"), "0");
}

TEST(Form1, AFileThatCannotBeReadIsNamedInAWarningAndLeavesCaptionAndRecentFiles) {
    TempDir dir;
    TForm1 w;
    const std::string good = FlatCave(dir, "good.plt", 1, 3);
    ASSERT_TRUE(w.ProcessFile(good));
    const std::string empty = dir.File("empty.plt");
    WriteFile(empty, "Z 0 1 0 1 0 1\r\nSMain\r\nNA D 1 1 2000 C\r\nX 0 0 0 0 0 0\r\n");
    const std::string noise = dir.File("noise.plt");
    WriteFile(noise, std::string(3000, '\x9c') + "\x01\x02");
    const std::string missing = dir.File("missing.plt");
    Boxes boxes;
    for (const std::string& file : {missing, empty, noise})
        EXPECT_FALSE(w.ProcessFile(file)) << file;
    ASSERT_EQ(boxes.Texts.size(), 3u);
    EXPECT_EQ(boxes.Texts[0].rfind(missing + ": ", 0), 0u) << boxes.Texts[0];
    EXPECT_EQ(boxes.Texts[1], empty + ": no survey data (no station records)");
    EXPECT_EQ(boxes.Texts[2].rfind(noise + ":", 0), 0u) << boxes.Texts[2];
    EXPECT_EQ(w.windowTitle(), "good.plt - Lumora Viewer");
    EXPECT_EQ(w.Reopen()->Path(0), good);
    for (int i = 0; i < w.Reopen()->Count(); ++i)
        for (const std::string& file : {missing, empty, noise})
            EXPECT_NE(w.Reopen()->Path(i), file);
    EXPECT_EQ(StatusField(w, "TrisDis"), "0"); // the old model was cleared for the build
}

TEST(Form1, ReopenListsTheFilesAnotherRunningViewerAddedAndOpensThem) {
    TempDir dir;
    TForm1 w;
    const std::string mine = FlatCave(dir, "mine.plt", 1, 3);
    const std::string other = FlatCave(dir, "other.plt", 1, 3);
    {
        QMenu menu; // the recent files of a second viewer, running at the same time
        ui::TReopenMenu second;
        second.INIFile = "lumora.ini";
        second.INISection = "history";
        second.SetMenuItem(&menu);
        second.Load();
        second.AddFile(other);
        second.Save();
    }
    QMenu* menu = w.Reopen()->MenuItem();
    menu->popup(QPoint(0, 0));
    menu->hide();
    ASSERT_GE(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions().at(0)->text(), "&1 other.plt");
    ASSERT_TRUE(w.ProcessFile(mine));
    ASSERT_GE(w.Reopen()->Count(), 2);
    EXPECT_EQ(w.Reopen()->Path(0), mine);
    EXPECT_EQ(w.Reopen()->Path(1), other); // kept, not overwritten
    // Choosing the entry opens the cave dialog with its file.
    const QString before = QDir::currentPath();
    bool shown = false;
    menu->actions().at(1)->trigger(); // the dialog opens once the menu is done
    QTimer::singleShot(0, &w, [&w, &shown] {
        shown = w.CaveMeshDlg()->isVisible();
        w.CaveMeshDlg()->reject();
    });
    QTest::qWait(50);
    QDir::setCurrent(before);
    EXPECT_TRUE(shown);
    EXPECT_EQ(w.CaveMeshDlg()->CurrentPlotFile, other);
}

TEST(Form1, ARecentFileIsKeptWithItsFullPath) {
    TempDir dir;
    TForm1 w;
    FlatCave(dir, "here.plt", 1, 3);
    const QString before = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.Path().string()));
    const bool built = w.ProcessFile("here.plt");
    QDir::setCurrent(before);
    ASSERT_TRUE(built);
    EXPECT_EQ(w.Reopen()->Path(0), dir.File("here.plt"));
    EXPECT_EQ(w.windowTitle(), "here.plt - Lumora Viewer");
}

TEST(Form1, ShowShotsBuildsAndRemovesTheLinesButNeedsAPlotFile) {
    TempDir dir;
    TForm1 w;
    survey::PlotData().ClearPlotData();
    survey::PlotData().Loaded = false;
    w.RunCommand("ShowShotsMnu");
    EXPECT_FALSE(w.Action("ShowShotsMnu")->isChecked());
    ASSERT_TRUE(w.ProcessFile(FlatCave(dir, "shots.plt", 1, 4)));
    const std::size_t before = w.Core.Scene.CenterFrame->GetVisuals().size();
    w.RunCommand("ShowShotsMnu");
    EXPECT_TRUE(w.Action("ShowShotsMnu")->isChecked());
    EXPECT_EQ(w.Core.Scene.CenterFrame->GetVisuals().size(), before + 1);
    w.RunCommand("ShowStationsMnu");
    EXPECT_TRUE(w.Action("ShowStationsMnu")->isChecked());
    w.RunCommand("ShowShotsMnu");
    EXPECT_FALSE(w.Action("ShowShotsMnu")->isChecked());
    EXPECT_EQ(w.Core.Scene.CenterFrame->GetVisuals().size(), before + 1); // stations stay
    // A new build unchecks both.
    ASSERT_TRUE(w.ProcessFile(FlatCave(dir, "shots.plt", 1, 4)));
    EXPECT_FALSE(w.Action("ShowStationsMnu")->isChecked());
}

TEST(Form1, HierarchyTogglesBetweenOneAnd185AndTheSplitterSnapsBack) {
    TForm1 w;
    w.resize(800, 500);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.ToggleHierarchy();
    EXPECT_EQ(w.OutPanelWidth(), 1);
    w.RunCommand("HierarchyMnu");
    EXPECT_EQ(w.OutPanelWidth(), viewer::kOutPanelWidth);
    // Drag the splitter handle 120 pixels to the right.
    QWidget* handle = w.Splitter()->handle(1);
    const QPoint start(handle->width() / 2, handle->height() / 2);
    QTest::mousePress(handle, Qt::LeftButton, {}, start);
    QTest::mouseMove(handle, start + QPoint(120, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, start + QPoint(120, 0));
    EXPECT_EQ(w.OutPanelWidth(), viewer::kOutPanelWidth);
    // A drag to the left is kept.
    QTest::mousePress(handle, Qt::LeftButton, {}, start);
    QTest::mouseMove(handle, start - QPoint(60, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, start - QPoint(60, 0));
    EXPECT_LT(w.OutPanelWidth(), viewer::kOutPanelWidth);
    QTest::mouseClick(w.OutPanel()->findChild<QPushButton*>("XBtn"), Qt::LeftButton);
    EXPECT_EQ(w.OutPanelWidth(), 1);
}

TEST(Form1, CtrlLeftPressKeepsTheSpinAPlainLeftPressStopsIt) {
    TForm1 w;
    w.show();
    ASSERT_NE(SpinAngle(w), 0.0f); // the initial slow spin
    QTest::mousePress(w.View(), Qt::LeftButton, Qt::ControlModifier, QPoint(50, 50));
    QTest::mouseRelease(w.View(), Qt::LeftButton, Qt::ControlModifier, QPoint(50, 50));
    EXPECT_NE(SpinAngle(w), 0.0f);
    QTest::mousePress(w.View(), Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_EQ(SpinAngle(w), 0.0f);
    EXPECT_EQ(w.Core.Navigation.LastMouseX, 60);
}

TEST(Form1, RightDragWithShiftDoesNothingAPlainRightDragPans) {
    TempDir dir;
    TForm1 w;
    w.show();
    ASSERT_TRUE(w.ProcessFile(FlatCave(dir, "pan.plt", 1, 4)));
    auto position = [&w] {
        scene::Vector p;
        w.Core.Scene.CenterFrame->GetPosition(w.Core.Scene.SceneFrame.get(), p);
        return p;
    };
    const scene::Vector before = position();
    QTest::mousePress(w.View(), Qt::RightButton, Qt::ShiftModifier, QPoint(50, 50));
    MoveMouse(w.View(), QPoint(90, 70), Qt::RightButton, Qt::ShiftModifier);
    EXPECT_EQ(position().X, before.X);
    EXPECT_EQ(position().Y, before.Y);
    EXPECT_EQ(w.Core.Navigation.LastMouseX, 50); // not stored either
    QTest::mouseRelease(w.View(), Qt::RightButton, Qt::ShiftModifier, QPoint(90, 70));
    QTest::mousePress(w.View(), Qt::RightButton, {}, QPoint(50, 50));
    MoveMouse(w.View(), QPoint(90, 70), Qt::RightButton, {});
    EXPECT_EQ(w.Core.Navigation.LastMouseX, 90);
    QTest::mouseRelease(w.View(), Qt::RightButton, {}, QPoint(90, 70));
    EXPECT_NE(position().X, before.X);
}

TEST(Form1, StatusFieldsShowLargeNumbersWholeInTheWindowAsItOpensAndInALargerFont) {
    TForm1 w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.Status()->SetTriangles(743344);
    const std::vector<std::pair<const char*, const char*>> values = {
        {"PosXDis", "-123456.7"},  {"PosYDis", "98765.4"}, {"PosZDis", "-200000.0"},
        {"YawDis", "-179.9"},      {"PitchDis", "-128.8"}, {"RollDis", "-100.0"},
        {"TpsDis", "888,789,870"}, {"FpsDis", "1234"}};
    for (const auto& [name, text] : values)
        w.findChild<QLabel*>(name)->setText(text);
    EXPECT_EQ(StatusField(w, "TrisDis"), "743344");
    auto expectWhole = [&w](const char* when) {
        QApplication::processEvents();
        for (const char* name : {"PosXDis", "PosYDis", "PosZDis", "YawDis", "PitchDis", "RollDis",
                                 "TrisDis", "TpsDis", "FpsDis"}) {
            const QLabel* field = w.findChild<QLabel*>(name);
            EXPECT_GE(field->width(), field->sizeHint().width())
                << when << ": " << name << " cuts " << field->text().toStdString();
        }
    };
    expectWhole("as it opens");
    QFont larger = w.Status()->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.6);
    w.Status()->setFont(larger);
    expectWhole("in a larger font");
}

TEST(Form1, DefaultTorusShows144TrianglesAndTheCubeIsScaledTo1000) {
    TForm1 w;
    w.TorusDlg()->findChild<QPushButton*>("MakeTorusBtn")->click();
    EXPECT_EQ(StatusField(w, "TrisDis"), "144");
    EXPECT_EQ(w.TorusDlg()->findChild<QLabel*>("ProgressDis")->text(), "11");
    w.TorusDlg()->findChild<QPushButton*>("MakeCubeBtn")->click();
    EXPECT_EQ(StatusField(w, "TrisDis"), "6");
    EXPECT_NEAR(viewer::ModelExtent(*w.Core.Scene.CenterFrame) *
                    w.Core.Scene.CenterFrame->GetTransform().M[0][0],
                1000, 0.01);
    const auto texts = TreeTexts(w);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Builder - Cube Builder"), texts.end());
}

TEST(Form1, DeleteMeshRemovesTheSelectedBuilder) {
    TForm1 w;
    w.TorusDlg()->findChild<QPushButton*>("MakeTetraBtn")->click();
    int index = 0;
    scene::MeshBuilderPtr builder;
    ASSERT_TRUE(w.Core.Hierarchy.FindFirstObject(1, index, builder));
    w.OutPanel()->SelectItem(index);
    EXPECT_EQ(w.OutPanel()->PageName(), "BuilderPage");
    w.OutPanel()->findChild<QPushButton*>("DeleteMeshBtn")->click();
    EXPECT_TRUE(w.Core.Scene.CenterFrame->GetVisuals().empty());
    EXPECT_EQ(StatusField(w, "TrisDis"), "0");
}

TEST(Form1, TransformsShowTheModelMatrixByColumnsAndKeepTheLastValues) {
    TForm1 w;
    viewer::TTransDlg& dlg = *w.TransDlg();
    EXPECT_EQ(dlg.Cell(3, 0), "");
    dlg.CenterTransBtnClick();
    EXPECT_EQ(dlg.Cell(3, 0), "-2.0"); // translation row in the fourth column
    EXPECT_EQ(dlg.Cell(3, 1), "2.0");
    EXPECT_EQ(dlg.Cell(3, 2), "10.0");
    EXPECT_EQ(dlg.Cell(3, 3), "1.0");
    dlg.SceneTransBtnClick();
    EXPECT_EQ(dlg.Cell(3, 0), "0.0");
}

TEST(Form1, EditingTheSceneFrameUsesTheCameraAsReference) {
    TForm1 w;
    w.EditFrameDlg()->SetFrame(w.Core.Scene.SceneFrame);
    EXPECT_EQ(w.Core.Navigation.EditRef, w.Core.Scene.CameraFrame);
    w.EditFrameDlg()->SetFrame(w.Core.Scene.CenterFrame);
    EXPECT_EQ(w.Core.Navigation.EditRef, w.Core.Scene.SceneFrame);
    scene::Vector before, after;
    w.Core.Scene.CenterFrame->GetPosition(w.Core.Scene.SceneFrame.get(), before);
    w.TorusDlg()->findChild<QPushButton*>("MakeCubeBtn")->click();
    w.EditFrameDlg()->SetFrame(w.Core.Scene.CenterFrame);
    w.Core.Scene.CenterFrame->GetPosition(w.Core.Scene.SceneFrame.get(), before);
    w.EditFrameDlg()->ButtonClick("PanRightBtn");
    w.Core.Scene.CenterFrame->GetPosition(w.Core.Scene.SceneFrame.get(), after);
    EXPECT_GT(after.X, before.X);
}

TEST(Form1, FrameDialogZoomInBringsTheModelNearerAlsoWhenTheSceneFrameIsEdited) {
    TForm1 w;
    w.TorusDlg()->findChild<QPushButton*>("MakeCubeBtn")->click();
    auto distance = [&w] {
        scene::Vector p;
        w.Core.Scene.CenterFrame->GetPosition(w.Core.Scene.CameraFrame.get(), p);
        return p.Z;
    };
    viewer::TEditFrameDlg& dlg = *w.EditFrameDlg();
    auto* zoomIn = dlg.findChild<QPushButton*>("ZoomInBtn");
    auto* zoomOut = dlg.findChild<QPushButton*>("ZoomOutBtn");
    const QLabel* position = dlg.findChild<QLabel*>("PositionDis");
    for (const scene::FramePtr& frame : {w.Core.Scene.CenterFrame, w.Core.Scene.SceneFrame}) {
        dlg.SetFrame(frame);
        const float start = distance();
        const QString shown = position->text();
        QTest::mouseClick(zoomIn, Qt::LeftButton);
        EXPECT_LT(distance(), start - 1) << frame->GetName();
        EXPECT_NE(position->text(), shown) << frame->GetName();
        QTest::mouseClick(zoomOut, Qt::LeftButton);
        QTest::mouseClick(zoomOut, Qt::LeftButton);
        EXPECT_GT(distance(), start + 1) << frame->GetName();
    }
}

TEST(Form1, LookAtTurnsTheCameraTowardsTheModelAsFramesAreDrawn) {
    TForm1 w;
    w.TorusDlg()->findChild<QPushButton*>("MakeCubeBtn")->click();
    viewer::TViewerScene& s = w.Core.Scene;
    s.CameraFrame->SetOrientation(s.SceneFrame.get(), -0.77f, 0, 0.64f, 0, 1, 0);
    auto angleOff = [&s] {
        scene::Vector direction, up, camera, model;
        s.CameraFrame->GetOrientation(s.SceneFrame.get(), direction, up);
        s.CameraFrame->GetPosition(s.SceneFrame.get(), camera);
        s.CenterFrame->GetPosition(s.SceneFrame.get(), model);
        return std::acos(std::min(1.0f, scene::Dot(direction, scene::Normalize(model - camera))));
    };
    const float before = angleOff();
    QTest::mouseClick(w.Toolbar()->Button("LookAtBtn"), Qt::LeftButton);
    for (int frame = 0; frame < 20; ++frame) {
        QTest::qWait(10);
        w.RenderFrame();
    }
    EXPECT_LT(angleOff(), before * 0.95f);
    EXPECT_TRUE(w.Core.Look.LookActive); // still turning, a little each frame
}

TEST(Form1, SaveScreenAsBitmapWritesTheViewAndOnAFullDiskKeepsTheOldFile) {
    TempDir dir;
    TForm1 w;
    w.show();
    w.TorusDlg()->findChild<QPushButton*>("MakeCubeBtn")->click();
    const std::string file = dir.File("view.bmp");
    ASSERT_TRUE(w.SaveBitmap(QString::fromStdString(file)));
    const QImage written(QString::fromStdString(file), "BMP");
    EXPECT_FALSE(written.isNull());
    EXPECT_EQ(written.size(), w.View()->size());

    WriteFile(file, "the old picture");
    Boxes boxes;
    {
        FileSizeLimit full(1000);
        EXPECT_FALSE(w.SaveBitmap(QString::fromStdString(file)));
    }
    EXPECT_EQ(ReadFile(file), "the old picture");
    EXPECT_EQ(FolderEntries(dir.Path().string()), std::vector<std::string>{"view.bmp"});
    EXPECT_EQ(boxes.Texts, std::vector<std::string>{file + ": " + std::strerror(EFBIG)});
}

TEST(Form1, EveryHelpButtonShowsTheHelpIcon) {
    TForm1 w;
    for (QWidget* dialog :
         std::initializer_list<QWidget*>{w.CaveMeshDlg(), w.EditFrameDlg(), w.TorusDlg()}) {
        const auto* help = dialog->findChild<QAbstractButton*>("HelpBtn");
        ASSERT_NE(help, nullptr) << dialog->objectName().toStdString();
        const QImage shown = help->icon().pixmap(16, 16).toImage();
        ASSERT_FALSE(shown.isNull()) << dialog->objectName().toStdString();
        EXPECT_EQ(shown, ui::HelpIcon(*help).pixmap(16, 16).toImage());
        // Not the life buoy that reads as a broken picture at this size.
        EXPECT_NE(
            shown,
            help->style()->standardIcon(QStyle::SP_DialogHelpButton).pixmap(16, 16).toImage());
    }
}

// Distance between the centres of two windows' frames.
int CentreDistance(const QWidget& a, const QWidget& b) {
    return (a.frameGeometry().center() - b.frameGeometry().center()).manhattanLength();
}

TEST(Form1, HelpFromAModalDialogCanBeUsedWhileTheDialogIsOpenAndOpensOverIt) {
    TForm1 w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    // In the middle of the screen, so the help has room to open centred over a dialog.
    QRect frame = w.frameGeometry();
    frame.moveCenter(w.screen()->availableGeometry().center());
    w.move(frame.topLeft());
    viewer::THelpWindow& help = *w.Help();
    for (QDialog* dialog : std::initializer_list<QDialog*>{w.EditFrameDlg(), w.CaveMeshDlg()}) {
        SCOPED_TRACE(dialog->objectName().toStdString());
        w.EditFrameDlg()->SetFrame(w.Core.Scene.CenterFrame);
        bool exposed = false, contentsShown = false;
        int distance = -1;
        QTimer::singleShot(0, dialog, [&] {
            QTest::mouseClick(dialog->findChild<QAbstractButton*>("HelpBtn"), Qt::LeftButton);
            exposed = QTest::qWaitForWindowExposed(&help);
            distance = CentreDistance(help, *dialog);
            // A click through the window system, as a person's: "Contents" leaves the topic.
            const auto* contents = help.findChild<QPushButton*>("ContentsBtn");
            QTest::mouseClick(help.windowHandle(), Qt::LeftButton, {},
                              contents->mapTo(&help, contents->rect().center()));
            contentsShown = !help.Browser()->source().hasFragment();
            dialog->reject();
        });
        dialog->exec();
        EXPECT_TRUE(exposed);
        EXPECT_LE(distance, 2);
        EXPECT_TRUE(contentsShown);
        // The help stays open after the dialog closed, and works with the main window.
        EXPECT_TRUE(help.isVisible());
        EXPECT_EQ(help.parentWidget(), &w);
        help.close();
    }
}

TEST(Form1, HelpOpensNumberedTopicsAndFindsKeyWords) {
    TForm1 w;
    w.Help()->ShowTopic(1);
    EXPECT_EQ(w.Help()->Browser()->source().fragment(), "topic-1");
    EXPECT_TRUE(w.Help()->Browser()->toPlainText().contains("Process File"));
    EXPECT_TRUE(w.Help()->Find("Abort"));
    EXPECT_FALSE(w.Help()->Find("no such words in the manual"));
    w.RunCommand("IndexMnu");
    EXPECT_TRUE(w.Help()->isVisible());
}

} // namespace
} // namespace lumora::test
