// The exporter window's controls: every default of the settings table, the data-type rule, the
// units, the enabling rules, the colour buttons, "Save Settings" / "Restore Settings" over every
// control, a settings file with garbage, the menus and the help.
#include "ExporterTest.h"

#include "exporter/ExpIni.h"
#include "exporter/gui/ExpHelp.h"
#include "platform/IniFile.h"

#include <QAction>
#include <QMenu>
#include <QTabWidget>
#include <QTextBrowser>

#include <map>
#include <set>

namespace lumora::test {
namespace {

using exporter::TAciPanel;
using exporter::TColorPanel;
using exporter::TRadioGroup;
using exporter::TRealSpin;

using TValues = std::map<std::string, std::string>;

// Every control of the tabs and the bottom bar with what it shows: a box 0/1, a number, a radio
// group's or a list's index (or a list's text), a text, a panel's colour (and index).
TValues ControlValues(exporter::TExporterForm& form, bool listText = false) {
    TValues values;
    std::vector<QWidget*> roots = {form.Pages().Tabs, form.Pages().BottomBar};
    auto put = [&](const QObject* control, const QString& value) {
        values[control->objectName().toStdString()] = value.toStdString();
    };
    for (QWidget* root : roots) {
        for (auto* box : root->findChildren<QCheckBox*>())
            put(box, box->isChecked() ? "1" : "0");
        for (auto* spin : root->findChildren<TRealSpin*>())
            put(spin, QString::number(spin->value(), 'g', 15));
        for (auto* spin : root->findChildren<QSpinBox*>())
            put(spin, QString::number(spin->value()));
        for (auto* group : root->findChildren<TRadioGroup*>())
            put(group, QString::number(group->Index()));
        for (auto* list : root->findChildren<QComboBox*>())
            put(list, listText ? list->currentText() : QString::number(list->currentIndex()));
        for (auto* slider : root->findChildren<QSlider*>())
            put(slider, QString::number(slider->value()));
        for (auto* edit : root->findChildren<QLineEdit*>())
            if (!qobject_cast<QAbstractSpinBox*>(edit->parent()) &&
                !qobject_cast<QComboBox*>(edit->parent()))
                put(edit, edit->text());
        for (auto* panel : root->findChildren<TColorPanel*>()) {
            QString shown = panel->palette().color(QPalette::Window).name();
            if (auto* aci = qobject_cast<TAciPanel*>(panel))
                shown += " " + QString::number(aci->Index());
            put(panel, shown);
        }
    }
    return values;
}

TEST(ExporterForm, StartsWithEveryDefaultOfTheSettingsTableWithoutASettingsFile) {
    TExporterFixture f;
    const TValues expected = {
        {"UnitRadio", "0"},
        {"DataTypeRadio", "0"},
        {"ShapeTypeRadio", "0"},
        {"ZipShapeChk", "1"},
        {"DoPassageChk", "1"},
        {"PassDepthChk", "0"},
        {"VertexColorChk", "0"},
        {"SplineChk", "0"},
        {"PassColorPanel", "#ff0000"},
        {"TransparencySpin", "50"},
        {"TextureChk", "0"},
        {"TextureEdit", "texture2.png"},
        {"TransparencyChk", "0"},
        {"DoShotLineChk", "0"},
        {"LineDepthChk", "0"},
        {"LineColorPanel", "#00ffff"},
        {"BackColorPanel", "#808080"},
        {"YawChk", "0"},
        {"ProfileChk", "0"},
        {"RotSpin", "0"},
        {"PassageTypeRadio", "0"},
        {"LayerSurveysChk", "1"},
        {"AssocPassChk", "0"},
        {"AssocLabelChk", "0"},
        {"SeparateChk", "0"},
        {"LeftRightCheck", "1"},
        {"UpDownCheck", "1"},
        {"LineCheck", "0"},
        {"MarkFromChk", "1"},
        {"MarkToChk", "0"},
        {"MarkWithRadio", "0"},
        {"ExpandMarkChk", "1"},
        {"ShotLineChk", "1"},
        {"LabelsChk", "1"},
        {"StationMarkChk", "1"},
        {"WallsChk", "1"},
        {"NorthArrowChk", "1"},
        {"ScaleBarChk", "1"},
        {"DepthChk", "1"},
        {"ClipLinesChk", "0"},
        {"SurveyColorPanel", "#00ff00 3"},
        {"LabelColorPanel", "#ffff00 2"},
        {"DepthColorPanel", "#0000ff 5"},
        {"WallColorPanel", "#ff0000 1"},
        {"ScaleBarSpin", "100"},
        {"MarkSizeSpin", "25"},
        {"ScaleChk", "0"},
        {"ScaleSpin", "100"},
        {"DatumList", "North American 1927"},
        {"AltitudeModeRadio", "0"},
        {"AltitudeSpin", "0.1"},
        {"KMLLineColorPanel", "#0000ff"},
        {"KMLFillColorPanel", "#ff0000"},
        {"KMLTransparencyBar", "0"},
        {"OverlayTypeRadio", "0"},
        {"LineWidthSpin", "4"},
        {"PassShapeRadio", "2"},
        {"SubSpin", "2"},
        {"SubChk", "1"},
        {"ExpandChk", "1"},
        {"MergeChk", "1"},
        {"SealChk", "1"},
        {"CornerRadio", "1"},
        {"CornerAngleSpin", "20"},
        {"VerticalChk", "1"},
        {"VerticalAngleSpin", "50"},
        {"ShowHiddenChk", "0"},
    };
    EXPECT_EQ(ControlValues(*f.Form, true), expected);
    EXPECT_EQ(f.Find<QComboBox>("DatumList")->count(), 23);
    EXPECT_EQ(f.Form->windowTitle(), "Quiltra 3D Exporter");
    EXPECT_EQ(f.Form->Pages().Tabs->currentIndex(), 0);
    EXPECT_TRUE(f.Ui.Warnings.empty());
}

TEST(ExporterForm, TabsCaptionsAndRangesAreTheSettingsTables) {
    TExporterFixture f;
    const QTabWidget* tabs = f.Form->Pages().Tabs;
    ASSERT_EQ(tabs->count(), 5);
    const QStringList captions = {"Shapefile Export", "VRML Export", "DXF Export", "KML",
                                  "Wall Settings"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(tabs->tabText(i), captions[i]);
    EXPECT_EQ(f.Find<QCheckBox>("TextureChk")->text(), "Use Texture");
    EXPECT_EQ(f.Find<QCheckBox>("TransparencyChk")->text(), "Do Tranparency");
    EXPECT_EQ(f.Find<QCheckBox>("DoShotLineChk")->text(), "Show Shot LIne");
    EXPECT_EQ(f.Find<QCheckBox>("ShowHiddenChk")->text(), "Export Hidden Shots (P-Flag)");
    EXPECT_EQ(f.Find<QPushButton>("SurveyBtn")->text(), "Set ");
    EXPECT_EQ(f.Find<TRadioGroup>("MarkWithRadio")->Button(0)->text(), "L, R, U, D ");
    EXPECT_EQ(f.Find<TRadioGroup>("DataTypeRadio")->Button(10)->text(),
              "Multpatch Bounding Polygon");
    const std::map<std::string, std::pair<double, double>> ranges = {
        {"TransparencySpin", {0, 100}},     {"RotSpin", {0, 360}},
        {"ScaleSpin", {0.000001, 1000000}}, {"SubSpin", {0, 90}},
        {"CornerAngleSpin", {0, 180}},      {"VerticalAngleSpin", {0, 90}}};
    for (const auto& [name, range] : ranges) {
        const auto* spin = f.Find<TRealSpin>(name.c_str());
        EXPECT_DOUBLE_EQ(spin->minimum(), range.first) << name;
        EXPECT_DOUBLE_EQ(spin->maximum(), range.second) << name;
    }
    const auto* width = f.Find<QSpinBox>("LineWidthSpin");
    EXPECT_EQ(width->minimum(), 1);
    EXPECT_EQ(width->maximum(), 100);
    const auto* bar = f.Find<QSlider>("KMLTransparencyBar");
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 255);
}

TEST(ExporterForm, TwoDShapeFileWhileMultipatchPrismIsSelectedSelectsStations) {
    TExporterFixture f;
    auto* types = f.Find<TRadioGroup>("DataTypeRadio");
    // The bounding polygons are never offered.
    EXPECT_TRUE(types->Button(9)->isHidden());
    EXPECT_TRUE(types->Button(10)->isHidden());
    f.Radio("DataTypeRadio", "3D Multipatch Prism")->click();
    EXPECT_EQ(f.Form->Options().DataTypes, exporter::TShapeDataType::MultipatchPrism);
    f.Radio("ShapeTypeRadio", "2D Shape File")->click();
    EXPECT_EQ(types->Index(), 0);
    EXPECT_EQ(f.Form->Options().DataTypes, exporter::TShapeDataType::Stations);
    EXPECT_FALSE(f.Form->Options().ThreeD);
    EXPECT_FALSE(types->Button(7)->isEnabled());
    EXPECT_FALSE(types->Button(8)->isEnabled());
    EXPECT_TRUE(types->Button(9)->isHidden());
    EXPECT_TRUE(types->Button(10)->isHidden());
    // Another data type survives the switch; going back to 3D offers the prisms again.
    f.Radio("DataTypeRadio", "Passage")->click();
    f.Radio("ShapeTypeRadio", "3D Shape File")->click();
    EXPECT_EQ(f.Form->Options().DataTypes, exporter::TShapeDataType::Passage);
    EXPECT_TRUE(types->Button(8)->isEnabled());
    EXPECT_TRUE(types->Button(10)->isHidden());
}

TEST(ExporterForm, UnitsRelabelTheScaleBarAndStationMarkSizes) {
    TExporterFixture f;
    auto* bar = f.Find<TRealSpin>("ScaleBarSpin");
    auto* mark = f.Find<TRealSpin>("MarkSizeSpin");
    EXPECT_EQ(bar->Unit(), "Ft.");
    EXPECT_EQ(bar->text(), "100 Ft.");
    f.Radio("UnitRadio", "Meters")->click();
    EXPECT_EQ(bar->Unit(), "M.");
    EXPECT_EQ(mark->text(), "25 M.");
    EXPECT_TRUE(f.Form->Options().Meters);
    EXPECT_DOUBLE_EQ(f.Form->Options().Dxf.ScaleBar, 100.0); // the number stays
    f.Radio("UnitRadio", "Feet")->click();
    EXPECT_EQ(mark->text(), "25 Ft.");
    EXPECT_EQ(f.Find<TRealSpin>("SubSpin")->Unit(), "Ft."); // always feet
}

TEST(ExporterForm, AssociateBoxesNeedSeparateLayersAndVertexColorsNeedPassagesByDepth) {
    TExporterFixture f;
    auto* layers = f.Find<QCheckBox>("LayerSurveysChk");
    auto* assocPass = f.Find<QCheckBox>("AssocPassChk");
    auto* assocLabel = f.Find<QCheckBox>("AssocLabelChk");
    EXPECT_TRUE(assocPass->isEnabled());
    layers->click();
    EXPECT_FALSE(assocPass->isEnabled());
    EXPECT_FALSE(assocLabel->isEnabled());
    EXPECT_TRUE(f.Find<QCheckBox>("SeparateChk")->isEnabled());
    layers->click();
    EXPECT_TRUE(assocLabel->isEnabled());

    auto* vertex = f.Find<QCheckBox>("VertexColorChk");
    auto* passages = f.Find<QCheckBox>("DoPassageChk");
    auto* depth = f.Find<QCheckBox>("PassDepthChk");
    EXPECT_FALSE(vertex->isEnabled()); // passages on, depth off
    depth->click();
    EXPECT_TRUE(vertex->isEnabled());
    passages->click();
    EXPECT_FALSE(vertex->isEnabled());
    f.Find<QCheckBox>("LineDepthChk")->click(); // the shot line's depth colours do not count
    EXPECT_FALSE(vertex->isEnabled());
    passages->click();
    EXPECT_TRUE(vertex->isEnabled());
}

TEST(ExporterForm, DxfSetButtonsKeepTheNearestColourIndexAndRefreshEveryPanel) {
    TExporterFixture f;
    auto* survey = f.Find<TAciPanel>("SurveyColorPanel");
    auto* walls = f.Find<TAciPanel>("WallColorPanel");
    QColor started;
    {
        // Nearly red: index 1, shown as pure red.
        auto answer = ChooseColor(f.Form->ColorDialog(), QColor(250, 5, 5), &started);
        f.Click("SurveyBtn");
    }
    EXPECT_EQ(started, QColor(0, 255, 0)); // the dialog starts at the layer's colour
    EXPECT_EQ(survey->Index(), 1);
    EXPECT_EQ(survey->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(f.Form->Options().Dxf.SurveyColor, 1);
    {
        // A mid grey: the greys 250..255 are (i - 250) x 0.134 + 0.33, so 0.502 lies nearest
        // 251 (0.464); shown as 0.464 x 255 = 118.
        auto answer = ChooseColor(f.Form->ColorDialog(), QColor(128, 128, 128));
        f.Click("WallsBtn");
    }
    EXPECT_EQ(walls->Index(), 251);
    EXPECT_EQ(walls->palette().color(QPalette::Window), QColor(118, 118, 118));
    {
        auto answer =
            std::make_unique<TDialogAnswer>(f.Form->ColorDialog(), [](QDialog& d) { d.reject(); });
        f.Click("DepthColorBtn");
    }
    EXPECT_EQ(f.Find<TAciPanel>("DepthColorPanel")->Index(), 5); // cancelled: unchanged
    EXPECT_EQ(f.Find<TAciPanel>("LabelColorPanel")->palette().color(QPalette::Window),
              QColor(255, 255, 0));
}

TEST(ExporterForm, ChangeButtonsStartFromThePanelAndTakeTheChosenColour) {
    TExporterFixture f;
    const std::vector<std::pair<const char*, const char*>> buttons = {
        {"PassColorBtn", "PassColorPanel"},
        {"LineColorBtn", "LineColorPanel"},
        {"BackColorBtn", "BackColorPanel"},
        {"KMLFillColorBtn", "KMLFillColorPanel"},
        {"KMLLineColorBtn", "KMLLineColorPanel"}};
    int shade = 10;
    for (const auto& [button, panel] : buttons) {
        const QColor before = f.Find<TColorPanel>(panel)->palette().color(QPalette::Window);
        const QColor chosen(shade, 200 - shade, 77);
        QColor started;
        {
            auto answer = ChooseColor(f.Form->ColorDialog(), chosen, &started);
            f.Click(button);
        }
        EXPECT_EQ(started, before) << button;
        EXPECT_EQ(f.Find<TColorPanel>(panel)->palette().color(QPalette::Window), chosen) << button;
        shade += 30;
    }
    // Red in the lowest byte: the fill colour (100, 100, 77) is 0x4D6464.
    EXPECT_EQ(f.Form->Options().Kml.FillColor, 0x4D6464u);
}

// Changes every control of the tabs to another value: boxes toggled, numbers moved, other items
// chosen, colours picked through their buttons.
void ChangeEveryControl(TExporterFixture& f) {
    exporter::TExportPages& p = f.Form->Pages();
    for (QWidget* root : {static_cast<QWidget*>(p.Tabs), p.BottomBar}) {
        for (auto* box : root->findChildren<QCheckBox*>())
            box->setChecked(!box->isChecked());
        for (auto* spin : root->findChildren<TRealSpin*>())
            spin->setValue(spin->value() + (spin->value() + 2 < spin->maximum() ? 1.25 : -1.25));
        for (auto* spin : root->findChildren<QSpinBox*>())
            spin->setValue(spin->value() + 1);
        for (auto* group : root->findChildren<TRadioGroup*>())
            if (group != p.DataTypeRadio && group != p.ShapeTypeRadio)
                group->SetIndex((group->Index() + 1) % group->Count());
        for (auto* slider : root->findChildren<QSlider*>())
            slider->setValue(77);
    }
    p.DataTypeRadio->SetIndex(6); // "Passage", offered for 2D Shapefiles too
    p.ShapeTypeRadio->SetIndex(1);
    p.DatumList->setCurrentIndex(22);
    p.TextureEdit->setText("rock.jpg");
    const std::vector<std::pair<const char*, QColor>> colours = {
        {"PassColorBtn", QColor(1, 2, 3)},       {"LineColorBtn", QColor(4, 5, 6)},
        {"BackColorBtn", QColor(7, 8, 9)},       {"KMLFillColorBtn", QColor(10, 11, 12)},
        {"KMLLineColorBtn", QColor(13, 14, 15)}, {"SurveyBtn", QColor(255, 0, 255)},
        {"LabelBtn", QColor(0, 255, 255)},       {"DepthColorBtn", QColor(255, 255, 255)},
        {"WallsBtn", QColor(255, 127, 0)}};
    for (const auto& [button, colour] : colours) {
        auto answer = ChooseColor(f.Form->ColorDialog(), colour);
        f.Click(button);
    }
}

TEST(ExporterForm, SaveChangeEveryControlRestoreGivesBackEveryPersistedValue) {
    TExporterFixture f;
    f.Radio("DataTypeRadio", "Split Shots")->click();
    f.Find<TRealSpin>("AltitudeSpin")->setValue(12.625);
    f.Form->Action("SaveSettingsMnu")->trigger();
    const TValues saved = ControlValues(*f.Form);
    ChangeEveryControl(f);
    const TValues changed = ControlValues(*f.Form);
    ASSERT_EQ(changed.size(), saved.size());
    for (const auto& [name, value] : saved)
        EXPECT_NE(changed.at(name), value) << name << " was not changed by the test";
    f.Form->Action("RestoreSettingsMnu")->trigger();
    const TValues restored = ControlValues(*f.Form);
    // Not kept in the settings file: these keep what the user chose.
    const std::set<std::string> notKept = {"OverlayTypeRadio", "LineWidthSpin", "ZipShapeChk",
                                           "ShowHiddenChk"};
    for (const auto& [name, value] : saved)
        EXPECT_EQ(restored.at(name), notKept.count(name) ? changed.at(name) : value) << name;
    EXPECT_TRUE(f.Ui.Warnings.empty());
    // A window made now starts from the saved file too.
    exporter::TExporterForm again(nullptr, &f.Ui);
    const TValues fresh = ControlValues(again);
    for (const auto& [name, value] : saved) {
        if (!notKept.count(name)) {
            EXPECT_EQ(fresh.at(name), value) << name;
        }
    }
}

// Every key of the settings file with its value ("Section/Key" -> value).
std::map<std::string, std::string> SettingsFile() {
    const platform::IniFile ini("ZazoRerora.ini");
    std::map<std::string, std::string> keys;
    for (const std::string& section : ini.ReadSections())
        for (const std::string& key : ini.ReadSection(section))
            keys[section + "/" + key] = ini.ReadString(section, key, "");
    return keys;
}

// Changes the one control of that name to another value, as ChangeEveryControl does.
void ChangeOne(TExporterFixture& f, const std::string& name) {
    QWidget* control = f.Find<QWidget>(name.c_str());
    if (auto* box = qobject_cast<QCheckBox*>(control))
        box->setChecked(!box->isChecked());
    else if (auto* real = qobject_cast<TRealSpin*>(control))
        real->setValue(real->value() + (real->value() + 2 < real->maximum() ? 1.25 : -1.25));
    else if (auto* spin = qobject_cast<QSpinBox*>(control))
        spin->setValue(spin->value() + 1);
    else if (auto* group = qobject_cast<TRadioGroup*>(control))
        group->SetIndex(name == "DataTypeRadio" ? 6 : (group->Index() + 1) % group->Count());
    else if (auto* list = qobject_cast<QComboBox*>(control))
        list->setCurrentIndex(22);
    else if (auto* slider = qobject_cast<QSlider*>(control))
        slider->setValue(77);
    else if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText("rock.jpg");
    else if (qobject_cast<TColorPanel*>(control)) {
        static const std::map<std::string, const char*> buttons = {
            {"PassColorPanel", "PassColorBtn"},
            {"LineColorPanel", "LineColorBtn"},
            {"BackColorPanel", "BackColorBtn"},
            {"KMLFillColorPanel", "KMLFillColorBtn"},
            {"KMLLineColorPanel", "KMLLineColorBtn"},
            {"SurveyColorPanel", "SurveyBtn"},
            {"LabelColorPanel", "LabelBtn"},
            {"DepthColorPanel", "DepthColorBtn"},
            {"WallColorPanel", "WallsBtn"}};
        auto answer = ChooseColor(f.Form->ColorDialog(), QColor(255, 0, 255));
        f.Click(buttons.at(name));
    } else
        ADD_FAILURE() << name << " is no control the test knows";
}

TEST(ExporterForm, SaveSettingsWritesEachControlUnderItsOwnKey) {
    TExporterFixture f;
    const std::map<std::string, std::string> keys = {
        {"UnitRadio", "Global/Units"},
        {"DataTypeRadio", "Shape/DataTypes"},
        {"ShapeTypeRadio", "Shape/FileType"},
        {"DoPassageChk", "VRML/3DPassages"},
        {"PassDepthChk", "VRML/ColorByDepth"},
        {"VertexColorChk", "VRML/VertexColors"},
        {"SplineChk", "VRML/SplineSurface"},
        {"PassColorPanel", "VRLM/PassageColor"},
        {"TransparencySpin", "VRML/Transparency"},
        {"TextureChk", "VRML/DoTransparency"}, // "Use Texture"
        {"TextureEdit", "VRML/TextureFile"},
        {"TransparencyChk", "VRML/DoTexture"}, // "Do Tranparency"
        {"DoShotLineChk", "VRML/DoShotLine"},
        {"LineDepthChk", "VRML/DoLineDept"},
        {"LineColorPanel", "VRLM/LineColor"},
        {"BackColorPanel", "VRLM/BackgroundColor"},
        {"YawChk", "VRML/YawRotation"},
        {"ProfileChk", "DXF/ProfileMode"},
        {"RotSpin", "DXF/Rotation"},
        {"PassageTypeRadio", "DXF/PassageType"},
        {"LayerSurveysChk", "DXF/SeparateLayers"},
        {"AssocPassChk", "DXF/AssociatePassages"},
        {"AssocLabelChk", "DXF/AssociateLabels"},
        {"SeparateChk", "DXF/AssociateSeparate"},
        {"LeftRightCheck", "DXF/LeftRight"},
        {"UpDownCheck", "DXF/UpDown"},
        {"LineCheck", "DXF/AddLine"},
        {"MarkFromChk", "DXF/MarkFrom"},
        {"MarkToChk", "DXF/MarkTo"},
        {"MarkWithRadio", "DXF/MarkWith"},
        {"ExpandMarkChk", "DXF/ExpandMark"},
        {"ShotLineChk", "DXF/IncludeShotLine"},
        {"LabelsChk", "DXF/IncludeLabels"},
        {"StationMarkChk", "DXF/IncludeStationMark"},
        {"WallsChk", "DXF/IncludeWalls"},
        {"NorthArrowChk", "DXF/IncludeNorthArrow"},
        {"ScaleBarChk", "DXF/IncludeScaleBar"},
        {"DepthChk", "DXF/IncludeDepth"},
        {"ClipLinesChk", "DXF/ClipLines"},
        {"SurveyColorPanel", "DXF/SurveyColor"},
        {"LabelColorPanel", "DXF/LabelColor"},
        {"DepthColorPanel", "DXF/DepthColor"},
        {"WallColorPanel", "DXF/WallColor"},
        {"ScaleBarSpin", "DXF/ScaleBar"},
        {"MarkSizeSpin", "DXF/MarkSize"},
        {"ScaleChk", "DXF/DoScale"},
        {"ScaleSpin", "DXF/ScaleFactor"},
        {"DatumList", "KML/Datum"},
        {"AltitudeModeRadio", "KML/AltitudeMode"},
        {"AltitudeSpin", "KML/Altitude"},
        {"KMLLineColorPanel", "KML/KMLLineColor"},
        {"KMLFillColorPanel", "KML/KMLFillColor"},
        {"KMLTransparencyBar", "KML/FillTransparency"},
        {"PassShapeRadio", "Walls/PassShape"},
        {"SubSpin", "Walls/SubstituteDiam"},
        {"SubChk", "Walls/DoSubstitute"},
        {"ExpandChk", "Walls/ExpandWalls"},
        {"MergeChk", "Walls/MergePass"},
        {"SealChk", "Walls/SealEnds"},
        {"CornerRadio", "Walls/RoundDepth"},
        {"CornerAngleSpin", "Walls/CornerThreshold"},
        {"VerticalChk", "Walls/VerticalPrisms"},
        {"VerticalAngleSpin", "Walls/VerticalThreshold"},
        // Not kept: no key changes.
        {"OverlayTypeRadio", ""},
        {"LineWidthSpin", ""},
        {"ZipShapeChk", ""},
        {"ShowHiddenChk", ""},
    };
    // The table names every control of the window.
    std::set<std::string> controls;
    for (const auto& [name, value] : ControlValues(*f.Form))
        controls.insert(name);
    std::set<std::string> named;
    for (const auto& [name, key] : keys)
        named.insert(name);
    EXPECT_EQ(controls, named);

    f.Form->SaveSettingsMnuClick();
    const auto defaults = SettingsFile();
    EXPECT_EQ(defaults.size(), keys.size() - 4);
    for (const auto& [name, key] : keys) {
        f.Form->SetOptions(exporter::DefaultExportOptions());
        ChangeOne(f, name);
        f.Form->SaveSettingsMnuClick();
        std::set<std::string> changed;
        for (const auto& [k, value] : SettingsFile())
            if (defaults.at(k) != value)
                changed.insert(k);
        EXPECT_EQ(changed, key.empty() ? std::set<std::string>() : std::set<std::string>{key})
            << name;
    }
}

TEST(ExporterForm, ASettingsFileWithGarbageRestoresWhatItCan) {
    TExporterFixture f;
    {
        platform::IniFile ini("ZazoRerora.ini");
        ini.WriteString("Global", "Units", "metres please");
        ini.WriteInteger("Shape", "DataTypes", 8); // a prism...
        ini.WriteInteger("Shape", "FileType", 1);  // ...of a 2D Shapefile
        ini.WriteString("VRML", "Transparency", "lots");
        ini.WriteInteger("VRML", "YawRotation", 1);
        ini.WriteString("DXF", "Rotation", "1.5.3");
        ini.WriteInteger("DXF", "MarkWith", 9);
        ini.WriteInteger("DXF", "PassageType", -4);
        ini.WriteInteger("KML", "Datum", 99);
        ini.WriteInteger("KML", "FillTransparency", 400);
        ini.WriteInteger("Walls", "PassShape", 0);
        ini.UpdateFile();
    }
    f.Form->Action("RestoreSettingsMnu")->trigger();
    const TValues v = ControlValues(*f.Form);
    EXPECT_EQ(v.at("UnitRadio"), "0");
    EXPECT_EQ(v.at("DataTypeRadio"), "0"); // the prism is not offered for 2D: "Stations"
    EXPECT_EQ(v.at("ShapeTypeRadio"), "1");
    EXPECT_EQ(v.at("TransparencySpin"), "50");
    EXPECT_EQ(v.at("YawChk"), "1");
    EXPECT_EQ(v.at("RotSpin"), "0");
    EXPECT_EQ(v.at("MarkWithRadio"), "2");     // above the range: the last item
    EXPECT_EQ(v.at("PassageTypeRadio"), "-1"); // below 0: no item
    EXPECT_EQ(v.at("DatumList"), "-1");        // outside 0..22: no selection
    EXPECT_EQ(v.at("KMLTransparencyBar"), "255");
    EXPECT_EQ(v.at("PassShapeRadio"), "0");
    EXPECT_TRUE(f.Ui.Warnings.empty());
    // A file that cannot be read at all is reported and changes nothing.
    std::filesystem::remove(f.Dir.File("config/ZazoRerora.ini"));
    std::filesystem::create_directory(f.Dir.File("config/ZazoRerora.ini"));
    f.Form->Action("RestoreSettingsMnu")->trigger();
    ASSERT_EQ(f.Ui.Warnings.size(), 1u);
    EXPECT_NE(f.Ui.Warnings[0].find("ZazoRerora.ini"), std::string::npos) << f.Ui.Warnings[0];
    EXPECT_EQ(ControlValues(*f.Form), v);
}

TEST(ExporterForm, MenusHoldTheirItemsAndHelpShowsTheManual) {
    TExporterFixture f;
    const std::vector<std::pair<const char*, const char*>> items = {
        {"OpenMnu", "&Open..."},
        {"ReopenMnu", "&Reopen"},
        {"ExitMnu", "E&xit"},
        {"SaveSettingsMnu", "&Save Settings"},
        {"RestoreSettingsMnu", "&Restore Settings"},
        {"ContentsMnu", "&Contents"},
        {"SearchHelpMnu", "&Search for Help On..."},
        {"AboutMnu", "&About"}};
    for (const auto& [name, caption] : items) {
        QAction* action = f.Form->Action(name);
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->text(), caption);
    }
    f.Form->Action("ContentsMnu")->trigger();
    EXPECT_TRUE(f.Form->Help()->isVisible());
    EXPECT_TRUE(f.Form->Help()->Browser()->toPlainText().contains("Saving and restoring"));
    EXPECT_TRUE(f.Form->Help()->Find("Create Zip File"));
    f.Form->Action("SearchHelpMnu")->trigger();
    EXPECT_TRUE(f.Form->Help()->SearchEdit()->text().isEmpty());
    {
        QString version;
        auto answer = std::make_unique<TDialogAnswer>(f.Form->About(), [&](QDialog& d) {
            version = d.findChild<QLabel*>("Version")->text();
            d.accept();
        });
        f.Form->Action("AboutMnu")->trigger();
        EXPECT_TRUE(version.startsWith("Version ")) << version.toStdString();
    }
    f.Form->setAttribute(Qt::WA_QuitOnClose, false);
    f.Form->show();
    f.Form->Action("ExitMnu")->trigger();
    EXPECT_FALSE(f.Form->isVisible());
}

} // namespace
} // namespace lumora::test
