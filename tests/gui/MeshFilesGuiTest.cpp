// The mesh-file commands of the main window, offscreen, through their real controls: the open
// dialog and what a bad file says, the progressive mesh dialog, the save dialog (wildcards, the
// replace question, double-click, "Save As Text") with its progress window, the hierarchy's Save,
// the rock texture question, and Save As glTF read back by the validator and assimp.
#include "DialogTestSupport.h"
#include "ExporterTest.h"
#include "scene/GltfPeers.h"
#include "viewer/RockPicture.h"
#include "viewer/gui/dxfile.h"
#include "viewer/gui/lvdxsave.h"
#include "viewer/gui/lvedprog.h"
#include "viewer/gui/lvhelp.h"
#include "viewer/gui/lvmain.h"
#include "viewer/gui/lvmeshcmd.h"
#include "viewer/gui/lvoutpnl.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QSlider>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

#include <deque>

namespace lumora::test {
namespace {

using viewer::TForm1;

// Answers the message boxes that open while it lives, in order, with the buttons given (Ok once
// they run out), and keeps their texts and whether the progress window was still up.
class BoxClicker {
public:
    explicit BoxClicker(std::deque<QMessageBox::StandardButton> answers = {},
                        const QWidget* progress = nullptr)
        : m_Answers(std::move(answers)), m_Progress(progress) {
        QObject::connect(&m_Timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            Texts.push_back(box->text().toStdString());
            ProgressShown.push_back(m_Progress && m_Progress->isVisible());
            QMessageBox::StandardButton answer = QMessageBox::Ok;
            if (!m_Answers.empty()) {
                answer = m_Answers.front();
                m_Answers.pop_front();
            }
            if (QAbstractButton* button = box->button(answer))
                button->click();
            else
                box->done(answer);
        });
        m_Timer.start(5);
    }
    std::vector<std::string> Texts;
    std::vector<bool> ProgressShown;

private:
    std::deque<QMessageBox::StandardButton> m_Answers;
    const QWidget* m_Progress;
    QTimer m_Timer;
};

std::string Pyramid(const TempDir& dir) {
    const std::string file = dir.File("pyramid.obj");
    WriteFile(file, "v -2 0 -2\nv 2 0 -2\nv 2 0 2\nv -2 0 2\nv 0 2 0\n"
                    "f 1 2 5\nf 2 3 5\nf 3 4 5\nf 4 1 5\nf 1 3 2\nf 1 4 3\n");
    return file;
}

std::size_t ModelFaces(const TForm1& w) {
    std::size_t faces = 0;
    for (const auto& visual : w.Core.Scene.CenterFrame->GetVisuals())
        if (auto mesh = std::dynamic_pointer_cast<scene::MeshBuilder>(visual))
            faces += mesh->GetFaceCount();
    return faces;
}

// Selects the first hierarchy item of that class, as a click on it does.
bool SelectItem(TForm1& w, const std::string& className) {
    const auto& items = w.Core.Hierarchy.Items();
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].ClassName == className) {
            w.OutPanel()->SelectItem(int(i + 1));
            return true;
        }
    return false;
}

template <typename T> T* Child(QWidget& parent, const char* name) {
    T* child = parent.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// In the save dialog: types text into the file name field and presses OK.
void TypeAndOk(QDialog& d, const std::string& text) {
    Child<QLineEdit>(d, "FileEdit")->setText(QString::fromStdString(text));
    QTest::mouseClick(Child<QPushButton>(d, "OKBtn"), Qt::LeftButton);
}

// Fails the test and cancels the dialog when the answer left it open.
void CloseIfOpen(QDialog& d) {
    if (!d.isVisible())
        return;
    ADD_FAILURE() << d.windowTitle().toStdString() << " is still open";
    d.reject();
}

QStringList Listed(QDialog& d, const char* name) {
    QStringList items;
    auto* list = Child<QListWidget>(d, name);
    for (int i = 0; list && i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

} // namespace

TEST(MeshFilesGui, OpenMeshOffersMeshFilesFirstAndReplacesTheModel) {
    TempDir dir;
    TForm1 w;
    ASSERT_TRUE(w.ProcessFile(Cave(dir, "cave.plt", 2, 4)));
    w.RunCommand("ShowShotsMnu");
    ASSERT_TRUE(w.Action("ShowShotsMnu")->isChecked());
    TSeenFileDialog seen;
    {
        auto choose = ChooseFile(w.MeshCommands()->OpenDialog(), Pyramid(dir), &seen);
        w.Action("OpenMeshMnu")->trigger();
    }
    ASSERT_GE(seen.Filters.size(), 3);
    EXPECT_EQ(seen.Filters.first(), "Mesh Files (*.x *.X)");
    for (const char* format : {"*.obj", "*.ply", "*.stl", "*.gltf", "*.glb", "*.3ds", "*.dae"})
        EXPECT_TRUE(seen.Filters[1].contains(format)) << format;
    EXPECT_EQ(seen.Filters.last(), "All Files (*)");
    EXPECT_EQ(seen.DefaultSuffix, "x");
    EXPECT_EQ(w.windowTitle(), "pyramid.obj - Lumora Viewer");
    EXPECT_FALSE(w.Action("ShowShotsMnu")->isChecked());
    EXPECT_FALSE(w.Action("ShowStationsMnu")->isChecked());
    ASSERT_EQ(w.Core.Scene.CenterFrame->GetVisuals().size(), 1u);
    EXPECT_EQ(w.findChild<QLabel*>("TrisDis")->text(), "6");
    EXPECT_EQ(w.Core.LoadedBuilder->GetQuality(), 128u);
}

TEST(MeshFilesGui, AMeshFileThatCannotBeReadIsNamedAndTheModelStays) {
    TempDir dir;
    TForm1 w;
    ASSERT_TRUE(w.ProcessFile(Cave(dir, "cave.plt", 2, 4)));
    const auto before = w.Core.Scene.CenterFrame->GetVisuals();
    const std::string broken = dir.File("broken.x");
    WriteFile(broken, "xof 0303txt 0032\nMesh {\n 3;\n 1.0;");
    const std::string unknown = dir.File("scan.qqq");
    WriteFile(unknown, std::string(200, '\x01'));
    BoxClicker boxes;
    for (const std::string& file : {broken, unknown}) {
        for (const char* command : {"OpenMeshMnu", "OpenProgMnu"}) {
            auto choose = ChooseFile(w.MeshCommands()->OpenDialog(), file);
            w.Action(command)->trigger();
        }
    }
    ASSERT_EQ(boxes.Texts.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string& file = i < 2 ? broken : unknown;
        EXPECT_EQ(boxes.Texts[i].rfind(file + ": ", 0), 0u) << boxes.Texts[i];
        EXPECT_GT(boxes.Texts[i].size(), file.size() + 2) << "no reason given";
    }
    EXPECT_EQ(w.Core.Scene.CenterFrame->GetVisuals(), before);
    EXPECT_EQ(w.windowTitle(), "cave.plt - Lumora Viewer");
}

TEST(MeshFilesGui, TheProgressiveDialogOpensAtTheDetailAndCancelPutsItBack) {
    TempDir dir;
    TForm1 w;
    ASSERT_TRUE(w.MeshCommands()->OpenMeshFile(Pyramid(dir), true));
    auto mesh = std::dynamic_pointer_cast<scene::ProgressiveMesh>(
        w.Core.Scene.CenterFrame->GetVisuals().at(0));
    ASSERT_NE(mesh, nullptr);
    mesh->SetDetail(0.5f);
    ASSERT_TRUE(SelectItem(w, "ProgressiveMesh"));
    EXPECT_EQ(w.OutPanel()->PageName(), "ProgPage");
    auto* edit = w.OutPanel()->findChild<QPushButton*>("EditProgressiveBtn");
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(edit->isEnabled());
    int opened = -1;
    QString title, faces, detail;
    float whileOpen = -1;
    {
        TDialogAnswer answer(w.MeshCommands()->ProgEditDlg(), [&](QDialog& d) {
            auto* bar = Child<QSlider>(d, "DetailBar");
            opened = bar->value();
            title = d.windowTitle();
            bar->setValue(0);
            whileOpen = mesh->GetDetail();
            faces = Child<QLabel>(d, "FacesDis")->text();
            detail = Child<QLabel>(d, "DetailDis")->text();
            QTest::mouseClick(Child<QPushButton>(d, "CancelBtn"), Qt::LeftButton);
        });
        QTest::mouseClick(edit, Qt::LeftButton);
    }
    EXPECT_EQ(opened, 50);
    EXPECT_EQ(title, "Progressive Mesh Settings");
    EXPECT_EQ(whileOpen, 0.0f);
    std::size_t minimum = 0, maximum = 0;
    mesh->GetFaceDetailRange(minimum, maximum);
    EXPECT_EQ(faces, " Faces: " + QString::number(qulonglong(minimum)));
    EXPECT_EQ(detail, "0.00");
    EXPECT_EQ(mesh->GetDetail(), 0.5f); // Cancel put it back
    {
        TDialogAnswer answer(w.MeshCommands()->ProgEditDlg(), [&](QDialog& d) {
            Child<QSlider>(d, "DetailBar")->setValue(80);
            QTest::mouseClick(Child<QPushButton>(d, "HelpBtn"), Qt::LeftButton);
            QTest::mouseClick(Child<QPushButton>(d, "OKBtn"), Qt::LeftButton);
        });
        QTest::mouseClick(edit, Qt::LeftButton);
    }
    EXPECT_FLOAT_EQ(mesh->GetDetail(), 0.8f);
    // The dialog's help opens the manual where it tells of progressive meshes.
    EXPECT_EQ(w.Help()->Browser()->source().fragment(), "topic-6");
    EXPECT_TRUE(w.Help()->Browser()->toPlainText().contains("Progressive Mesh Settings"));
    w.Help()->close();
}

TEST(MeshFilesGui, SaveAsXFileFiltersOnAWildcardAsksBeforeReplacingAndWritesText) {
    TempDir dir;
    TForm1 w;
    ASSERT_TRUE(w.ProcessFile(Cave(dir, "cave.plt", 2, 4)));
    const std::size_t faces = ModelFaces(w);
    std::filesystem::create_directory(dir.Path() / "out");
    WriteFile(dir.File("out/notes.txt"), "notes");
    WriteFile(dir.File("out/old.x"), "old");
    QStringList afterWildcard;
    bool stillOpen = false;
    BoxClicker boxes({QMessageBox::No, QMessageBox::Yes});
    {
        TDialogAnswer answer(w.MeshCommands()->DXSaveDlg(), [&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Save DX File");
            TypeAndOk(d, dir.File("out")); // a folder: the dialog goes there
            EXPECT_EQ(Listed(d, "FileList"), QStringList{"old.x"});
            TypeAndOk(d, "*.txt");
            afterWildcard = Listed(d, "FileList");
            stillOpen = d.isVisible();
            TypeAndOk(d, "old.x"); // No: the dialog stays
            EXPECT_TRUE(d.isVisible());
            Child<QCheckBox>(d, "TextChk")->setChecked(true);
            TypeAndOk(d, "old.x"); // Yes
            CloseIfOpen(d);
        });
        w.Action("SaveXMnu")->trigger();
    }
    EXPECT_EQ(afterWildcard, QStringList{"notes.txt"});
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(boxes.Texts, std::vector<std::string>(
                               2, "old.x\nThis file already exists.\nDo you want to replace it?"));
    const std::string written = ReadFile(dir.File("out/old.x"));
    EXPECT_EQ(written.substr(0, 16), "xof 0302txt 0032");
    EXPECT_EQ(AssimpInfo(dir.File("out/old.x")).Faces, (long long)faces);
    EXPECT_FALSE(w.MeshCommands()->FileProgDlg()->isVisible());
    EXPECT_EQ(w.MeshCommands()->FileProgDlg()->windowTitle(), "Writing DX File");
}

TEST(MeshFilesGui, ADoubleClickInTheFileListSavesAsOkDoes) {
    TempDir dir;
    TForm1 w;
    ASSERT_TRUE(w.MeshCommands()->OpenMeshFile(Pyramid(dir), false));
    WriteFile(dir.File("model.x"), "old");
    BoxClicker boxes({QMessageBox::Yes});
    {
        TDialogAnswer answer(w.MeshCommands()->DXSaveDlg(), [&](QDialog& d) {
            TypeAndOk(d, dir.Path().string());
            Child<QCheckBox>(d, "TextChk")->setChecked(false);
            auto* list = Child<QListWidget>(d, "FileList");
            const auto found = list->findItems("model.x", Qt::MatchExactly);
            if (found.size() != 1) {
                ADD_FAILURE() << "model.x is not listed: "
                              << Listed(d, "FileList").join(' ').toStdString();
                d.reject();
                return;
            }
            const QRect at = list->visualItemRect(found[0]);
            // A double-click as the window system delivers it: a press first, then the double.
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at.center());
            CloseIfOpen(d);
        });
        w.Action("SaveXMnu")->trigger();
    }
    EXPECT_EQ(boxes.Texts.size(), 1u);
    EXPECT_EQ(ReadFile(dir.File("model.x")).substr(0, 16), "xof 0302bin 0032");
    EXPECT_EQ(AssimpInfo(dir.File("model.x")).Faces, 6);
}

TEST(MeshFilesGui, NothingToSaveIsSaidAndNoDialogShows) {
    TForm1 w;
    BoxClicker boxes;
    {
        auto none = NoDialog(w.MeshCommands()->DXSaveDlg());
        auto noGltf = NoDialog(w.MeshCommands()->GltfDialog());
        w.Action("SaveXMnu")->trigger();
        w.Action("SaveGltfMnu")->trigger();
    }
    EXPECT_EQ(boxes.Texts, std::vector<std::string>(2, "No Mesh To Save."));
}

TEST(MeshFilesGui, TheHierarchysSaveWritesTheSelectedMeshAndAsksForTheBuiltInTextureOnly) {
    TempDir dir;
    TForm1 w;
    ASSERT_TRUE(w.MeshCommands()->OpenMeshFile(Pyramid(dir), false));
    ASSERT_TRUE(SelectItem(w, "Builder"));
    auto* save = w.OutPanel()->findChild<QPushButton*>("SaveBtn");
    ASSERT_NE(save, nullptr);
    ASSERT_TRUE(save->isEnabled());
    BoxClicker boxes({QMessageBox::No});
    {
        TDialogAnswer answer(w.MeshCommands()->DXSaveDlg(), [&](QDialog& d) {
            Child<QCheckBox>(d, "TextChk")->setChecked(true);
            TypeAndOk(d, dir.File("plain.x"));
            CloseIfOpen(d);
        });
        QTest::mouseClick(save, Qt::LeftButton);
    }
    EXPECT_TRUE(boxes.Texts.empty()); // no texture yet, no question
    EXPECT_EQ(AssimpInfo(dir.File("plain.x")).Faces, 6);
    // With the built-in rock picture on the mesh: the question, and No keeps "TEXTURE1".
    ASSERT_EQ(viewer::LoadRockTexture(w.Core.Scene, w.Core.Textures), scene::Result::Ok);
    w.Core.LoadedBuilder->SetTexture(w.Core.Textures.CurrentTexture);
    ASSERT_TRUE(SelectItem(w, "Builder"));
    {
        TDialogAnswer answer(w.MeshCommands()->DXSaveDlg(), [&](QDialog& d) {
            TypeAndOk(d, dir.File("rock.x"));
            CloseIfOpen(d);
        });
        QTest::mouseClick(save, Qt::LeftButton);
    }
    EXPECT_EQ(boxes.Texts, std::vector<std::string>{"Save Internal Texture?"});
    EXPECT_NE(ReadFile(dir.File("rock.x")).find("\"TEXTURE1\""), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.File("TEXTURE1.BMP")));
}

TEST(MeshFilesGui, ASaveThatFailsHalfWayClosesTheProgressWindowAndNamesTheFile) {
    TempDir dir;
    TForm1 w;
    ASSERT_TRUE(w.ProcessFile(Cave(dir, "cave.plt", 6, 10)));
    const std::string path = dir.File("full.x");
    BoxClicker boxes({}, w.MeshCommands()->FileProgDlg());
    {
        FileSizeLimit full(3000);
        TDialogAnswer answer(w.MeshCommands()->DXSaveDlg(), [&](QDialog& d) {
            TypeAndOk(d, path);
            CloseIfOpen(d);
        });
        w.Action("SaveXMnu")->trigger();
    }
    ASSERT_EQ(boxes.Texts.size(), 1u);
    EXPECT_EQ(boxes.Texts[0], path + ": " + std::strerror(EFBIG));
    EXPECT_EQ(boxes.ProgressShown, std::vector<bool>{false});
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(MeshFilesGui, SaveAsGltfWritesAFileThePeersRead) {
    TempDir dir;
    TForm1 w;
    ASSERT_TRUE(w.ProcessFile(Cave(dir, "cave.plt", 2, 4)));
    w.RunCommand("ShowShotsMnu");
    TSeenFileDialog seen;
    {
        auto choose = ChooseFile(w.MeshCommands()->GltfDialog(), dir.File("cave"), &seen);
        w.Action("SaveGltfMnu")->trigger();
    }
    EXPECT_EQ(seen.Filters, (QStringList{"glTF Binary (*.glb)", "glTF (*.gltf)"}));
    const std::string path = dir.File("cave.glb");
    ASSERT_TRUE(std::filesystem::exists(path));
    ExpectValidGltf(path);
    Assimp::Importer importer;
    const aiScene* scene = nullptr;
    const auto read = ReadGltfWithAssimp(path, importer, scene);
    EXPECT_GT(read.Triangles, 0u);
    EXPECT_EQ(read.Lines, 8u); // two surveys of four shots
    // The text form when that type is chosen in the dialog's type list.
    {
        TDialogAnswer answer(w.MeshCommands()->GltfDialog(), [&](QDialog& d) {
            auto* types = Child<QComboBox>(d, "fileTypeCombo");
            types->setFocus();
            QTest::keyClick(types, Qt::Key_Down);
            EXPECT_EQ(types->currentText(), "glTF (*.gltf)");
            Child<QLineEdit>(d, "fileNameEdit")->setText(QString::fromStdString(dir.File("text")));
            d.accept();
        });
        w.Action("SaveGltfMnu")->trigger();
    }
    ASSERT_TRUE(std::filesystem::exists(dir.File("text.gltf")));
    EXPECT_EQ(ReadFile(dir.File("text.gltf")).front(), '{');
    ExpectValidGltf(dir.File("text.gltf"));
}

} // namespace lumora::test
