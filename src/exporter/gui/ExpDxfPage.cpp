// The "DXF Export" tab: drawing, layers, contents, tick marks, layer colours, sizes and scale.
#include "exporter/gui/ExpPages.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumora::exporter {

namespace {

QGroupBox* Column(const QString& title, std::initializer_list<QWidget*> widgets) {
    auto* box = new QGroupBox(title);
    auto* layout = new QVBoxLayout(box);
    layout->setSpacing(2);
    for (QWidget* w : widgets)
        layout->addWidget(w);
    layout->addStretch();
    return box;
}

} // namespace

QWidget* TExportPages::DxfPage() {
    auto* profile =
        Binder.Check("ProfileChk", "Profile Mode", LUMORA_OPTION(bool, Dxf.ProfileMode));
    auto* rotation = Binder.Real("RotSpin", "Deg.", 0, 360, LUMORA_OPTION(double, Dxf.Rotation));
    auto* passageAs =
        Binder.Radio("PassageTypeRadio", "Show Passage As:", {"3D Polygons", "Tick Marks"},
                     LUMORA_OPTION(std::int32_t, Dxf.PassageType));
    LayerSurveysChk = Binder.Check("LayerSurveysChk", "Surveys On Separate Layers",
                                   LUMORA_OPTION(bool, Dxf.SeparateLayers));
    AssocPassChk = Binder.Check("AssocPassChk", "Associate Passage With Surveys",
                                LUMORA_OPTION(bool, Dxf.AssociatePassages));
    AssocLabelChk = Binder.Check("AssocLabelChk", "Associate Labels With Surveys",
                                 LUMORA_OPTION(bool, Dxf.AssociateLabels));
    auto* separate = Binder.Check("SeparateChk", "Associate Separately",
                                  LUMORA_OPTION(bool, Dxf.AssociateSeparate));

    auto* include = Column(
        "Include",
        {Binder.Check("ShotLineChk", "Include Shot Line", LUMORA_OPTION(bool, Dxf.IncludeShotLine)),
         Binder.Check("LabelsChk", "Include Station Labels",
                      LUMORA_OPTION(bool, Dxf.IncludeLabels)),
         Binder.Check("StationMarkChk", "Include Station Marks",
                      LUMORA_OPTION(bool, Dxf.IncludeStationMark)),
         Binder.Check("WallsChk", "Include Passage Walls", LUMORA_OPTION(bool, Dxf.IncludeWalls)),
         Binder.Check("NorthArrowChk", "Include North Arrow",
                      LUMORA_OPTION(bool, Dxf.IncludeNorthArrow)),
         Binder.Check("ScaleBarChk", "Include Scale Bar", LUMORA_OPTION(bool, Dxf.IncludeScaleBar)),
         Binder.Check("DepthChk", "Include Depth Labels", LUMORA_OPTION(bool, Dxf.IncludeDepth)),
         Binder.Check("ClipLinesChk", "Station Mark Clips Lines",
                      LUMORA_OPTION(bool, Dxf.ClipLines))});

    auto* ticks = Column(
        "Tick Marks",
        {Binder.Check("LeftRightCheck", "Mark Left-Right", LUMORA_OPTION(bool, Dxf.LeftRight)),
         Binder.Check("UpDownCheck", "Mark Up-Down", LUMORA_OPTION(bool, Dxf.UpDown)),
         Binder.Check("LineCheck", "Add Line To Mark", LUMORA_OPTION(bool, Dxf.AddLine)),
         Binder.Check("MarkFromChk", "Mark From", LUMORA_OPTION(bool, Dxf.MarkFrom)),
         Binder.Check("MarkToChk", "Mark To", LUMORA_OPTION(bool, Dxf.MarkTo)),
         Binder.Radio("MarkWithRadio", "Mark With:", {"L, R, U, D ", "A Period - .", "A Star - *"},
                      LUMORA_OPTION(std::int32_t, Dxf.MarkWith)),
         Binder.Check("ExpandMarkChk", "Expand Mark Dimensions",
                      LUMORA_OPTION(bool, Dxf.ExpandMark))});

    // The layer colours: a panel of the index's colour and its "Set " button each.
    static const char* const kCaptions[] = {"Survey Lines", "Station Labels", "Depth Label",
                                            "Passage Walls"};
    static const char* const kPanels[] = {"SurveyColorPanel", "LabelColorPanel", "DepthColorPanel",
                                          "WallColorPanel"};
    static const char* const kButtons[] = {"SurveyBtn", "LabelBtn", "DepthColorBtn", "WallsBtn"};
    LayerColorPanels = {Binder.AciColor(kPanels[0], LUMORA_OPTION(std::int32_t, Dxf.SurveyColor)),
                        Binder.AciColor(kPanels[1], LUMORA_OPTION(std::int32_t, Dxf.LabelColor)),
                        Binder.AciColor(kPanels[2], LUMORA_OPTION(std::int32_t, Dxf.DepthColor)),
                        Binder.AciColor(kPanels[3], LUMORA_OPTION(std::int32_t, Dxf.WallColor))};
    auto* colors = new QGroupBox("Layer Colors");
    auto* c = new QGridLayout(colors);
    for (int i = 0; i < 4; ++i) {
        LayerColorBtns[i] = Button(kButtons[i], "Set ");
        c->addWidget(new QLabel(kCaptions[i]), i, 0);
        c->addWidget(LayerColorPanels[i], i, 1);
        c->addWidget(LayerColorBtns[i], i, 2);
    }

    ScaleBarSpin = Binder.Real("ScaleBarSpin", "Ft.", 0, 1e6, LUMORA_OPTION(double, Dxf.ScaleBar));
    MarkSizeSpin = Binder.Real("MarkSizeSpin", "Ft.", 0, 1e6, LUMORA_OPTION(double, Dxf.MarkSize));
    auto* scale = Binder.Check("ScaleChk", "Scale Export", LUMORA_OPTION(bool, Dxf.DoScale));
    auto* factor =
        Binder.Real("ScaleSpin", "%", 0.000001, 1000000, LUMORA_OPTION(double, Dxf.ScaleFactor));
    auto* sizes = new QGroupBox("Sizes");
    auto* s = new QFormLayout(sizes);
    s->addRow("Scale Bar", ScaleBarSpin);
    s->addRow("Station Mark", MarkSizeSpin);
    s->addRow(scale);
    s->addRow("Scale Factor", factor);

    auto* drawing = new QVBoxLayout;
    drawing->addWidget(profile);
    auto* rotationForm = new QFormLayout;
    rotationForm->addRow("Rotation", rotation);
    drawing->addLayout(rotationForm);
    drawing->addWidget(passageAs);
    drawing->addWidget(Column("Layers", {LayerSurveysChk, AssocPassChk, AssocLabelChk, separate}));

    ExportDXFBtn = Button("ExportDXFBtn", "Export DXF");
    auto* top = new QHBoxLayout;
    top->addLayout(drawing);
    top->addWidget(include);
    top->addWidget(ticks);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(colors);
    bottom->addWidget(sizes);
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addLayout(bottom);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(ExportDXFBtn);
    layout->addLayout(buttonRow);
    return page;
}

} // namespace lumora::exporter
