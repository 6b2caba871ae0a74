// The "Texture/Wrap Settings" and "Normal Settings" dialogs offscreen: their controls and
// defaults, the values they keep, loading a picture (and failing to), applying it to the mesh and
// to its faces, the preset scales, the normals flags, and the hierarchy buttons that open them.
#include "DialogTestSupport.h"
#include "support/RecordingUi.h"
#include "viewer/RockPicture.h"
#include "viewer/gui/lvmain.h"
#include "viewer/gui/lvnormdlg.h"
#include "viewer/gui/lvoutpnl.h"
#include "viewer/gui/lvtordlg.h"
#include "viewer/gui/lvtxtdlg.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>

namespace lumora::test {
namespace {

using viewer::TNormalDlg;
using viewer::TTextureDlg;

// A mesh of the faces given, each a list of corners with their own vertices.
scene::MeshBuilderPtr Mesh(const std::vector<std::vector<scene::Vector>>& faces) {
    auto mesh = std::make_shared<scene::MeshBuilder>();
    for (const auto& face : faces)
        mesh->AddFace(face, 0xFE808080);
    return mesh;
}

// A quad and a triangle.
scene::MeshBuilderPtr QuadAndTriangle() {
    return Mesh({{{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {0, 1, 0}}, {{5, 0, 0}, {6, 0, 0}, {5, 1, 0}}});
}

// The dialog over a viewer core of its own (warnings recorded).
struct TTextureWindow {
    TempDir Dir;
    RecordingUi Ui;
    viewer::TViewerCore Core{Ui};
    std::unique_ptr<TTextureDlg> Dlg;

    TTextureWindow() {
        EXPECT_EQ(viewer::CreateScene(Core.Scene), scene::Result::Ok);
        Dlg = std::make_unique<TTextureDlg>(Core);
        Dlg->Choosers.BitmapFile = [](QWidget*) { return QString(); };
    }
    template <typename T> T* Find(const char* name) const {
        T* found = Dlg->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    double Spin(const char* name) const { return Find<QDoubleSpinBox>(name)->value(); }
    void Click(const char* button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }
    // "Load Texture File" answered with path.
    void Load(const std::string& path) {
        Dlg->Choosers.BitmapFile = [path](QWidget*) { return QString::fromStdString(path); };
        Click("LoadTextureBtn");
    }
    // A 4 x 2 picture as a bitmap file.
    std::string Picture() const {
        const std::string path = Dir.File("tex.bmp");
        QImage image(4, 2, QImage::Format_RGB32);
        image.fill(Qt::yellow);
        EXPECT_TRUE(image.save(QString::fromStdString(path), "BMP"));
        return path;
    }
    void Show() {
        Dlg->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Dlg.get()));
    }
    QStringList Listed() const {
        QStringList out;
        auto* list = Find<QListWidget>("FaceList");
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
};

TEST(TextureDlg, EveryPageWithItsControlsDefaultsAndRanges) {
    TTextureWindow w;
    EXPECT_EQ(w.Dlg->windowTitle(), "Texture/Wrap Settings");
    auto* pages = w.Find<QTabWidget>("PageControl1");
    ASSERT_EQ(pages->count(), 3);
    EXPECT_EQ(pages->tabText(0), "Texture");
    EXPECT_EQ(pages->tabText(1), "Wrap");
    EXPECT_EQ(pages->tabText(2), "Faces");
    auto* shades = w.Find<QSpinBox>("ShadesSpin");
    EXPECT_EQ(shades->value(), 1);
    EXPECT_EQ(shades->minimum(), 1);
    EXPECT_EQ(shades->maximum(), 256);
    auto* colors = w.Find<QSpinBox>("ColorsSpin");
    EXPECT_EQ(colors->value(), 256);
    EXPECT_EQ(colors->minimum(), 2);
    EXPECT_EQ(colors->maximum(), 1000000);
    for (const char* name : {"OriginUSpin", "OriginVSpin", "ScaleUSpin", "ScaleVSpin"}) {
        EXPECT_EQ(w.Spin(name), 0) << name;
        EXPECT_EQ(w.Find<QDoubleSpinBox>(name)->singleStep(), 0.1) << name;
        EXPECT_EQ(w.Find<QDoubleSpinBox>(name)->decimals(), 3) << name;
    }
    EXPECT_TRUE(w.Find<QCheckBox>("WhiteBackChk")->isChecked());
    EXPECT_EQ(w.Find<QCheckBox>("WhiteBackChk")->text(), "White Background");
    EXPECT_TRUE(w.Find<QRadioButton>("FlatRadio")->isChecked());
    for (const char* name : {"CylinderRadio", "SphereRadio", "ChromeRadio"})
        EXPECT_FALSE(w.Find<QRadioButton>(name)->isChecked()) << name;
    for (const char* name : {"WrapOriginXSpin", "WrapOriginYSpin", "WrapOriginZSpin"}) {
        EXPECT_EQ(w.Spin(name), 0) << name;
        EXPECT_EQ(w.Find<QDoubleSpinBox>(name)->singleStep(), 1) << name;
    }
    const std::vector<std::pair<const char*, double>> vectors = {
        {"DirectionXSpin", 0}, {"DirectionYSpin", 1}, {"DirectionZSpin", 0},
        {"UpXSpin", 0},        {"UpYSpin", 0},        {"UpZSpin", 1}};
    for (const auto& [name, value] : vectors) {
        EXPECT_EQ(w.Spin(name), value) << name;
        EXPECT_EQ(w.Find<QDoubleSpinBox>(name)->minimum(), -1) << name;
        EXPECT_EQ(w.Find<QDoubleSpinBox>(name)->maximum(), 1) << name;
        EXPECT_EQ(w.Find<QDoubleSpinBox>(name)->singleStep(), 0.1) << name;
    }
    for (const char* name : {"VertexUSpin", "VertexVSpin"}) {
        EXPECT_EQ(w.Spin(name), 1.0) << name;
        EXPECT_EQ(w.Find<QDoubleSpinBox>(name)->singleStep(), 0.1) << name;
    }
    for (const auto& [name, caption] :
         {std::pair{"LoadTextureBtn", "Load Texture File"},
          std::pair{"ApplyToMeshBtn", "Apply To Mesh"},
          std::pair{"ApplyRelativeBtn", "Apply Relative"},
          std::pair{"RemoveTextureBtn", "Remove Texture"}, std::pair{"CylinderBtn", "Cylinder"},
          std::pair{"FlatBtn", "Flat"}, std::pair{"SphereBtn", "Sphere/Unit"},
          std::pair{"ChromeBtn", "Chrome"}, std::pair{"ApplyToFacesBtn", "Apply To Faces"},
          std::pair{"CloseBtn", "Close"}})
        EXPECT_EQ(w.Find<QPushButton>(name)->text(), caption);
    QSignalSpy help(w.Dlg.get(), &TTextureDlg::HelpTopic);
    w.Click("HelpBtn");
    ASSERT_EQ(help.count(), 1);
    EXPECT_EQ(help.at(0).at(0).toInt(), 9);
}

TEST(TextureDlg, WithoutATextureEveryApplySaysNoTextureLoadedAndChangesNothing) {
    TTextureWindow w;
    const auto mesh = QuadAndTriangle();
    mesh->SetColorRGB(0.5f, 0.5f, 0.5f);
    const scene::Color before = mesh->FaceColor(0);
    w.Core.Textures.SelectedBuilder = mesh;
    w.Core.Scene.WrapRelative = true;
    QSignalSpy changed(w.Dlg.get(), &TTextureDlg::SceneChanged);
    w.Click("ApplyToMeshBtn");
    w.Click("ApplyRelativeBtn");
    w.Click("ApplyToFacesBtn");
    EXPECT_EQ(w.Ui.Warnings, std::vector<std::string>(3, "No Texture Loaded"));
    EXPECT_EQ(mesh->FaceColor(0), before);
    EXPECT_FALSE(mesh->GetTexture());
    EXPECT_FALSE(mesh->FaceTexture(0));
    EXPECT_FALSE(w.Core.Textures.CurrentWrap);
    EXPECT_TRUE(w.Core.Scene.WrapRelative);
    EXPECT_TRUE(w.Listed().isEmpty());
    EXPECT_EQ(changed.count(), 0);
}

TEST(TextureDlg, ALoadedPictureIsWrappedOverTheMeshAndTakenOffAgain) {
    TTextureWindow w;
    const auto mesh = QuadAndTriangle();
    w.Core.Textures.SelectedBuilder = mesh;
    w.Load(w.Picture());
    ASSERT_TRUE(w.Ui.Warnings.empty());
    EXPECT_EQ(w.Find<QLabel>("FileDis")->text(), "tex.bmp 4X2");
    QSignalSpy changed(w.Dlg.get(), &TTextureDlg::SceneChanged);
    w.Click("ApplyRelativeBtn");
    EXPECT_EQ(mesh->GetTexture(), w.Core.Textures.CurrentTexture);
    EXPECT_TRUE(w.Core.Textures.CurrentWrap);
    EXPECT_TRUE(w.Core.Scene.WrapRelative);
    EXPECT_EQ(mesh->FaceColor(0) & 0xFFFFFF, 0xFFFFFFu); // white: the picture is not tinted
    w.Click("ApplyToMeshBtn");
    EXPECT_FALSE(w.Core.Scene.WrapRelative);
    w.Click("RemoveTextureBtn");
    EXPECT_FALSE(mesh->GetTexture());
    EXPECT_EQ(changed.count(), 3);
}

TEST(TextureDlg, AFileThatIsNoPictureIsNamedInAWarningAndTheTextureStays) {
    TTextureWindow w;
    w.Load(w.Picture());
    const scene::TexturePtr loaded = w.Core.Textures.CurrentTexture;
    ASSERT_TRUE(loaded);
    const std::string bad = w.Dir.File("notes.bmp");
    WriteFile(bad, "not a picture");
    w.Load(bad);
    ASSERT_EQ(w.Ui.Warnings.size(), 1u);
    EXPECT_EQ(w.Ui.Warnings[0].rfind(bad + ": ", 0), 0u) << w.Ui.Warnings[0];
    EXPECT_EQ(w.Core.Textures.CurrentTexture, loaded);
    EXPECT_EQ(w.Find<QLabel>("FileDis")->text(), "tex.bmp 4X2");
    w.Load(w.Dir.File("missing.bmp"));
    ASSERT_EQ(w.Ui.Warnings.size(), 2u);
    EXPECT_EQ(w.Ui.Warnings[1], w.Dir.File("missing.bmp") + ": No such file or directory");
}

TEST(TextureDlg, ApplyToFacesPinsTheCornersAndListsTheFaces) {
    TTextureWindow w;
    const auto mesh = QuadAndTriangle();
    w.Core.Textures.SelectedBuilder = mesh;
    w.Load(w.Picture());
    w.Show();
    w.Find<QTabWidget>("PageControl1")->setCurrentIndex(2);
    TypeInto(w.Find<QDoubleSpinBox>("VertexUSpin"), "2");
    w.Click("ApplyToFacesBtn");
    const QStringList expected = {"0",
                                  "0 X: 0.0  Y: 0.0  Z: 0.0",
                                  "1 X: 2.0  Y: 0.0  Z: 0.0",
                                  "2 X: 2.0  Y: 1.0  Z: 0.0",
                                  "3 X: 0.0  Y: 1.0  Z: 0.0",
                                  "1",
                                  "0 X: 5.0  Y: 0.0  Z: 0.0",
                                  "1 X: 6.0  Y: 0.0  Z: 0.0",
                                  "2 X: 5.0  Y: 1.0  Z: 0.0"};
    EXPECT_EQ(w.Listed(), expected);
    const std::vector<std::pair<float, float>> quad = {{0, 0}, {2, 0}, {2, 1}, {0, 1}};
    for (std::size_t f = 0; f < 2; ++f) {
        EXPECT_EQ(mesh->FaceTexture(f), w.Core.Textures.CurrentTexture) << f;
        const auto corners = mesh->FaceCorners(f);
        for (std::size_t j = 0; j < corners.size(); ++j) {
            const scene::TextureCoord uv = mesh->TextureCoordinate(corners[j].Vertex);
            EXPECT_EQ(std::make_pair(uv.U, uv.V), quad[j]) << f << " " << j;
        }
    }
    EXPECT_FALSE(mesh->GetTexture()); // the mesh's own texture is not changed
    // Again: the list starts afresh.
    w.Click("ApplyToFacesBtn");
    EXPECT_EQ(w.Listed(), expected);
}

TEST(TextureDlg, PresetScalesFillTheOriginAndScaleFromTheMeshBox) {
    TTextureWindow w;
    w.Core.Textures.SelectedBuilder = Mesh({{{0, 0, 0}, {200, 0, 0}, {200, 100, 0}}});
    w.Show();
    ClickMark(w.Find<QRadioButton>("SphereRadio"));
    w.Click("FlatBtn");
    EXPECT_EQ(w.Spin("OriginUSpin"), 0.5);
    EXPECT_EQ(w.Spin("OriginVSpin"), 0.5);
    EXPECT_EQ(w.Spin("ScaleUSpin"), -0.005);
    EXPECT_EQ(w.Spin("ScaleVSpin"), 0.01);
    EXPECT_TRUE(w.Find<QRadioButton>("SphereRadio")->isChecked()); // the wrap type stays
    w.Click("ChromeBtn");
    EXPECT_EQ(w.Spin("ScaleUSpin"), 400);
    EXPECT_EQ(w.Spin("ScaleVSpin"), -200);
    // A mesh 3000 wide: the spin shows three decimals, the wrap gets the exact scale.
    w.Core.Textures.SelectedBuilder = Mesh({{{0, 0, 0}, {3000, 0, 0}, {3000, 100, 0}}});
    w.Click("FlatBtn");
    EXPECT_EQ(w.Find<QDoubleSpinBox>("ScaleUSpin")->text(), "0.000");
    EXPECT_EQ(w.Core.Textures.Dialog.ScaleU, -1.0 / 3000);
    TypeInto(w.Find<QDoubleSpinBox>("ScaleUSpin"), "0.25"); // typed: taken as typed
    EXPECT_EQ(w.Core.Textures.Dialog.ScaleU, 0.25);
}

// The values live with the viewer: the rock preset changes them and the dialog shows them the
// next time it opens, and what is typed is there for the rock preset.
TEST(TextureDlg, TheDialogKeepsItsValuesWithTheViewer) {
    TTextureWindow w;
    w.Show();
    TypeInto(w.Find<QSpinBox>("ColorsSpin"), "1000");
    TypeInto(w.Find<QDoubleSpinBox>("WrapOriginXSpin"), "7");
    ClickMark(w.Find<QCheckBox>("WhiteBackChk"));
    EXPECT_EQ(w.Core.Textures.Dialog.Colors, 1000);
    EXPECT_EQ(w.Core.Textures.Dialog.WrapOrigin.X, 7.0f);
    EXPECT_FALSE(w.Core.Textures.Dialog.WhiteBackground);
    w.Dlg->hide();
    const auto mesh = QuadAndTriangle();
    ASSERT_EQ(viewer::LoadRockTexture(w.Core.Scene, w.Core.Textures), scene::Result::Ok);
    ASSERT_TRUE(viewer::ApplyRockTexture(w.Core.Scene, w.Core.Textures, w.Ui, mesh));
    bool shown = false;
    QTimer::singleShot(0, w.Dlg.get(), [&] {
        shown = w.Dlg->isVisible();
        EXPECT_EQ(w.Find<QSpinBox>("ShadesSpin")->value(), 32);
        EXPECT_TRUE(w.Find<QRadioButton>("SphereRadio")->isChecked());
        EXPECT_EQ(w.Spin("ScaleUSpin"), 40);
        EXPECT_EQ(w.Spin("ScaleVSpin"), 15);
        EXPECT_EQ(w.Find<QSpinBox>("ColorsSpin")->value(), 1000);
        EXPECT_EQ(w.Spin("WrapOriginXSpin"), 7);
        EXPECT_FALSE(w.Find<QCheckBox>("WhiteBackChk")->isChecked());
        w.Click("CloseBtn");
    });
    w.Dlg->ShowTextureDialog(mesh);
    EXPECT_TRUE(shown);
    EXPECT_EQ(w.Core.Textures.SelectedBuilder, mesh);
}

// ---- Normals ----

// A cube of six squares, each with its own four corners.
scene::MeshBuilderPtr Cube() {
    using V = scene::Vector;
    return Mesh({{V{0, 0, 0}, V{1, 0, 0}, V{1, 1, 0}, V{0, 1, 0}},
                 {V{0, 0, 1}, V{0, 1, 1}, V{1, 1, 1}, V{1, 0, 1}},
                 {V{0, 0, 0}, V{0, 1, 0}, V{0, 1, 1}, V{0, 0, 1}},
                 {V{1, 0, 0}, V{1, 0, 1}, V{1, 1, 1}, V{1, 1, 0}},
                 {V{0, 0, 0}, V{0, 0, 1}, V{1, 0, 1}, V{1, 0, 0}},
                 {V{0, 1, 0}, V{1, 1, 0}, V{1, 1, 1}, V{0, 1, 1}}});
}

// The normal of the first corner of the first face, as its largest component: 1 for a face's
// own normal, about 0.577 for the mean of the three faces meeting at a cube's corner.
float FirstCornerNormal(const scene::MeshBuilder& mesh) {
    const scene::Vector n = mesh.Normals().at(mesh.FaceCorners(0)[0].Normal);
    return std::max({std::abs(n.X), std::abs(n.Y), std::abs(n.Z)});
}

TEST(NormalDlg, DoNormalsTakesItsFlagsAndCreaseFromTheControls) {
    TNormalDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "Normal Settings");
    auto* crease = dlg.findChild<QSpinBox*>("CreaseSpin");
    auto* useCrease = dlg.findChild<QCheckBox*>("UseCreaseChk");
    auto* compress = dlg.findChild<QCheckBox*>("CompressChk");
    ASSERT_TRUE(crease && useCrease && compress);
    EXPECT_EQ(crease->value(), 20);
    EXPECT_EQ(crease->singleStep(), 10);
    EXPECT_TRUE(useCrease->isChecked());
    EXPECT_EQ(useCrease->text(), "Use Crease Angle");
    EXPECT_TRUE(compress->isChecked());
    EXPECT_EQ(compress->text(), "Compress Mesh");
    EXPECT_EQ(dlg.findChild<QPushButton*>("DoNormalsBtn")->text(), "Do Normals");
    const auto cube = Cube();
    dlg.SetMesh(cube);
    EXPECT_EQ(dlg.findChild<QLabel*>("PolygonsDis")->text(), " Polygons: 6");
    EXPECT_EQ(dlg.findChild<QLabel*>("VerticesDis")->text(), " Vertices: 24");
    EXPECT_EQ(dlg.findChild<QLabel*>("SizeDis")->text(), " Size: X: 1.0  Y: 1.0  Z: 1.0");
    // Both unchecked: flags 0, the corners stay apart and keep their faces' normals.
    useCrease->setChecked(false);
    compress->setChecked(false);
    EXPECT_EQ(viewer::NormalFlags(dlg.Settings()), 0u);
    QSignalSpy changed(&dlg, &TNormalDlg::SceneChanged);
    ASSERT_TRUE(dlg.DoNormalsBtnClick());
    EXPECT_EQ(dlg.findChild<QLabel*>("VerticesDis")->text(), " Vertices: 24");
    EXPECT_FLOAT_EQ(FirstCornerNormal(*cube), 1);
    // Compressed without crease: eight corners, each with the mean normal of its three faces.
    compress->setChecked(true);
    ASSERT_TRUE(dlg.DoNormalsBtnClick());
    EXPECT_EQ(dlg.findChild<QLabel*>("VerticesDis")->text(), " Vertices: 8");
    EXPECT_NEAR(FirstCornerNormal(*cube), 1 / std::sqrt(3.0f), 1e-5);
    // The crease of 20 degrees keeps the square edges sharp; one of 100 does not.
    useCrease->setChecked(true);
    ASSERT_TRUE(dlg.DoNormalsBtnClick());
    EXPECT_FLOAT_EQ(FirstCornerNormal(*cube), 1);
    crease->setValue(100);
    ASSERT_TRUE(dlg.DoNormalsBtnClick());
    EXPECT_NEAR(FirstCornerNormal(*cube), 1 / std::sqrt(3.0f), 1e-5);
    EXPECT_EQ(changed.count(), 4);
}

// ---- The hierarchy's buttons ----

TEST(Form1Textures, SetTextureAndSetNormalsOpenTheirDialogsForTheSelectedMesh) {
    viewer::TForm1 w;
    w.TorusDlg()->MakeCubeBtnClick();
    int index = 0;
    scene::MeshBuilderPtr cube;
    ASSERT_TRUE(w.Core.Hierarchy.FindFirstObject(1, index, cube));
    w.OutPanel()->SelectItem(index);
    ASSERT_EQ(w.OutPanel()->PageName(), "BuilderPage");
    auto* setTexture = w.OutPanel()->findChild<QPushButton*>("SetTextureBtn");
    auto* setNormals = w.OutPanel()->findChild<QPushButton*>("SetNormalsBtn");
    ASSERT_TRUE(setTexture && setNormals);
    EXPECT_TRUE(setTexture->isEnabled());
    EXPECT_TRUE(setNormals->isEnabled());
    bool textureShown = false, normalsShown = false;
    QString polygons;
    QTimer::singleShot(0, &w, [&] {
        textureShown = w.TextureDlg()->isVisible();
        w.TextureDlg()->findChild<QPushButton*>("CloseBtn")->click();
    });
    setTexture->click();
    EXPECT_TRUE(textureShown);
    EXPECT_EQ(w.Core.Textures.SelectedBuilder, cube);
    QTimer::singleShot(0, &w, [&] {
        normalsShown = w.NormalDlg()->isVisible();
        polygons = w.NormalDlg()->findChild<QLabel*>("PolygonsDis")->text();
        w.NormalDlg()->findChild<QPushButton*>("CloseBtn")->click();
    });
    setNormals->click();
    EXPECT_TRUE(normalsShown);
    EXPECT_EQ(polygons, " Polygons: 6");
}

} // namespace
} // namespace lumora::test
