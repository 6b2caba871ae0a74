#include "exporter/gui/ExpPages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace lumora::exporter {

namespace {

// A caption, a colour panel and its button on one line.
QHBoxLayout* ColorRow(const QString& caption, TColorPanel* panel, QPushButton* button) {
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(caption);
    label->setMinimumWidth(110);
    row->addWidget(label);
    row->addWidget(panel);
    row->addWidget(button);
    row->addStretch();
    return row;
}

// The export button at the bottom right of a page.
void AddExportButton(QVBoxLayout* page, QPushButton* button) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(button);
    page->addStretch();
    page->addLayout(row);
}

} // namespace

TExportPages::TExportPages() {
    Tabs = new QTabWidget;
    Tabs->setObjectName("PageControl1");
    Tabs->addTab(ShapePage(), "Shapefile Export");
    Tabs->addTab(VrmlPage(), "VRML Export");
    Tabs->addTab(DxfPage(), "DXF Export");
    Tabs->addTab(KmlPage(), "KML");
    Tabs->addTab(WallPage(), "Wall Settings");
    BottomBar = Bottom();
}

QWidget* TExportPages::ShapePage() {
    DataTypeRadio =
        new TRadioGroup("DataTypeRadio", "Data Types To Convert",
                        {"Stations", "Surveys", "Survey Shots", "Split Shots", "Feature Locations",
                         "Feature Lines", "Passage", "3D Polygon Prism", "3D Multipatch Prism",
                         "Bounding Polygon", "Multpatch Bounding Polygon"});
    Binder.Bind([this](TExportOptions& o) { DataTypeRadio->SetIndex(int(o.DataTypes)); },
                [this](TExportOptions& o) {
                    const int index = DataTypeRadio->Index();
                    o.DataTypes = TShapeDataType(index < 0 ? 0 : index);
                });
    ShapeTypeRadio =
        Binder.FlagRadio("ShapeTypeRadio", "Shape File Type", {"3D Shape File", "2D Shape File"},
                         LUMORA_OPTION(bool, ThreeD), false);
    ZipShapeChk = Binder.Check("ZipShapeChk", "Create Zip File", LUMORA_OPTION(bool, ZipShape));
    ExportShapeBtn = Button("ExportShapeBtn", "Export Shapefile");

    auto* right = new QVBoxLayout;
    right->addWidget(ShapeTypeRadio);
    right->addWidget(ZipShapeChk);
    right->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addWidget(DataTypeRadio);
    columns->addLayout(right);
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(columns);
    AddExportButton(layout, ExportShapeBtn);
    return page;
}

QWidget* TExportPages::VrmlPage() {
    DoPassageChk =
        Binder.Check("DoPassageChk", "Show 3D Passages", LUMORA_OPTION(bool, Vrml.Passages3D));
    PassDepthChk =
        Binder.Check("PassDepthChk", "Color By Depth", LUMORA_OPTION(bool, Vrml.ColorByDepth));
    VertexColorChk =
        Binder.Check("VertexColorChk", "Vertex Colors", LUMORA_OPTION(bool, Vrml.VertexColors));
    auto* spline =
        Binder.Check("SplineChk", "Spline Surface", LUMORA_OPTION(bool, Vrml.SplineSurface));
    PassColorPanel = Binder.Color("PassColorPanel", LUMORA_OPTION(TColorValue, Vrml.PassageColor));
    PassColorBtn = Button("PassColorBtn", "Change");
    auto* transparent =
        Binder.Check("TransparencyChk", "Do Tranparency", LUMORA_OPTION(bool, Vrml.DoTransparency));
    auto* transparency =
        Binder.Real("TransparencySpin", "%", 0, 100, LUMORA_OPTION(double, Vrml.Transparency));
    auto* texture = Binder.Check("TextureChk", "Use Texture", LUMORA_OPTION(bool, Vrml.UseTexture));
    TextureEdit = Binder.Text("TextureEdit", LUMORA_OPTION(std::string, Vrml.TextureFile));
    BrowseTextureBtn = Button("BrowseTextureBtn", "Browse");

    auto* passages = new QGroupBox("Passages");
    auto* p = new QGridLayout(passages);
    p->addWidget(DoPassageChk, 0, 0);
    p->addWidget(PassDepthChk, 0, 1);
    p->addWidget(VertexColorChk, 1, 0);
    p->addWidget(spline, 1, 1);
    p->addLayout(ColorRow("Passage Color", PassColorPanel, PassColorBtn), 2, 0, 1, 2);
    p->addWidget(transparent, 3, 0);
    auto* transparencyRow = new QFormLayout;
    transparencyRow->addRow("Transparency", transparency);
    p->addLayout(transparencyRow, 3, 1);
    p->addWidget(texture, 4, 0);
    auto* textureRow = new QHBoxLayout;
    textureRow->addWidget(TextureEdit);
    textureRow->addWidget(BrowseTextureBtn);
    p->addLayout(textureRow, 4, 1);

    auto* lineChk =
        Binder.Check("DoShotLineChk", "Show Shot LIne", LUMORA_OPTION(bool, Vrml.DoShotLine));
    auto* lineDepth =
        Binder.Check("LineDepthChk", "Color By Depth", LUMORA_OPTION(bool, Vrml.LineColorByDepth));
    LineColorPanel = Binder.Color("LineColorPanel", LUMORA_OPTION(TColorValue, Vrml.LineColor));
    LineColorBtn = Button("LineColorBtn", "Change");
    auto* lines = new QGroupBox("Shot Line");
    auto* l = new QGridLayout(lines);
    l->addWidget(lineChk, 0, 0);
    l->addWidget(lineDepth, 0, 1);
    l->addLayout(ColorRow("Line Color", LineColorPanel, LineColorBtn), 1, 0, 1, 2);

    BackColorPanel =
        Binder.Color("BackColorPanel", LUMORA_OPTION(TColorValue, Vrml.BackgroundColor));
    BackColorBtn = Button("BackColorBtn", "Change");
    auto* yaw = Binder.Check("YawChk", "Yaw Rotations", LUMORA_OPTION(bool, Vrml.YawRotation));
    ExportVRMLBtn = Button("ExportVRMLBtn", "Export VRML");

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(passages);
    layout->addWidget(lines);
    layout->addLayout(ColorRow("Background Color", BackColorPanel, BackColorBtn));
    layout->addWidget(yaw);
    AddExportButton(layout, ExportVRMLBtn);
    return page;
}

QWidget* TExportPages::KmlPage() {
    DatumList = Binder.List("DatumList", LUMORA_OPTION(std::int32_t, Kml.Datum));
    auto* mode =
        Binder.Radio("AltitudeModeRadio", "Altitude Mode", {"Clamp To Ground", "Ground Relative"},
                     LUMORA_OPTION(std::int32_t, Kml.AltitudeMode));
    auto* altitude =
        Binder.Real("AltitudeSpin", "M.", -1e6, 1e6, LUMORA_OPTION(double, Kml.Altitude));
    altitude->setSingleStep(0.1);
    auto* overlay =
        Binder.Radio("OverlayTypeRadio", "Overlay Type", {"Passage Polygons", "Survey Shot Lines"},
                     LUMORA_OPTION(std::int32_t, Kml.OverlayType));
    auto* width = Binder.Integer("LineWidthSpin", "Pixels", 1, 100,
                                 LUMORA_OPTION(std::int32_t, Kml.LineWidth));
    KMLLineColorPanel =
        Binder.Color("KMLLineColorPanel", LUMORA_OPTION(TColorValue, Kml.LineColor));
    KMLLineColorBtn = Button("KMLLineColorBtn", "Change");
    KMLFillColorPanel =
        Binder.Color("KMLFillColorPanel", LUMORA_OPTION(TColorValue, Kml.FillColor));
    KMLFillColorBtn = Button("KMLFillColorBtn", "Change");
    auto* transparency = Binder.Slider("KMLTransparencyBar", 0, 255,
                                       LUMORA_OPTION(std::int32_t, Kml.FillTransparency));
    ExportKMLBtn = Button("ExportKMLBtn", "Export KML File");

    auto* form = new QFormLayout;
    form->addRow("Datum", DatumList);
    form->addRow("Altitude", altitude);
    form->addRow("Line Width", width);
    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addWidget(mode);
    left->addWidget(overlay);
    auto* colors = new QVBoxLayout;
    colors->addLayout(ColorRow("Line Color", KMLLineColorPanel, KMLLineColorBtn));
    colors->addLayout(ColorRow("Fill Color", KMLFillColorPanel, KMLFillColorBtn));
    auto* transparencyForm = new QFormLayout;
    transparencyForm->addRow("Transparency", transparency);
    colors->addLayout(transparencyForm);
    colors->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(colors);
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(columns);
    AddExportButton(layout, ExportKMLBtn);
    return page;
}

QWidget* TExportPages::WallPage() {
    auto* shape = Binder.Radio("PassShapeRadio", "Passage Shape", {"Square", "Diamond", "Octagon"},
                               LUMORA_OPTION(std::int32_t, Walls.PassShape));
    auto* rounding = Binder.Radio("CornerRadio", "Rounding Depth", {"None", "One Pass", "Two Pass"},
                                  LUMORA_OPTION(std::int32_t, Walls.RoundDepth));
    auto* corner = Binder.Real("CornerAngleSpin", "Deg.", 0, 180,
                               LUMORA_OPTION(double, Walls.CornerThreshold));
    auto* substitute =
        Binder.Real("SubSpin", "Ft.", 0, 90, LUMORA_OPTION(double, Walls.SubstituteDiam));
    auto* subChk =
        Binder.Check("SubChk", "Sub. Miss. LRUDs", LUMORA_OPTION(bool, Walls.DoSubstitute));
    auto* expand =
        Binder.Check("ExpandChk", "Expand Passages", LUMORA_OPTION(bool, Walls.ExpandWalls));
    auto* merge = Binder.Check("MergeChk", "Merge Passages", LUMORA_OPTION(bool, Walls.MergePass));
    auto* seal = Binder.Check("SealChk", "Seal Passage Ends", LUMORA_OPTION(bool, Walls.SealEnds));
    auto* vertical =
        Binder.Check("VerticalChk", "Vertical Prisms", LUMORA_OPTION(bool, Walls.VerticalPrisms));
    auto* verticalAngle = Binder.Real("VerticalAngleSpin", "Deg.", 0, 90,
                                      LUMORA_OPTION(double, Walls.VerticalThreshold));

    auto* left = new QVBoxLayout;
    left->addWidget(shape);
    left->addWidget(rounding);
    auto* cornerForm = new QFormLayout;
    cornerForm->addRow("Corner Threshold", corner);
    left->addLayout(cornerForm);
    left->addStretch();
    auto* dimensions = new QGroupBox("Passage Dimensions");
    auto* d = new QFormLayout(dimensions);
    d->addRow("Substitue Diameter", substitute);
    d->addRow(subChk);
    d->addRow(expand);
    d->addRow(merge);
    d->addRow(seal);
    auto* steep = new QGroupBox("Vertical Passages");
    auto* v = new QFormLayout(steep);
    v->addRow(vertical);
    v->addRow("Vertical Threshold", verticalAngle);
    auto* right = new QVBoxLayout;
    right->addWidget(dimensions);
    right->addWidget(steep);
    right->addStretch();
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    layout->addLayout(left);
    layout->addLayout(right);
    return page;
}

QWidget* TExportPages::Bottom() {
    UnitRadio =
        Binder.FlagRadio("UnitRadio", "Units", {"Feet", "Meters"}, LUMORA_OPTION(bool, Meters));
    UnitRadio->LayOutInRow(); // the bar is one line
    ShowHiddenChk = Binder.Check("ShowHiddenChk", "Export Hidden Shots (P-Flag)",
                                 LUMORA_OPTION(bool, ShowHidden));
    auto* bar = new QWidget;
    bar->setObjectName("BottomBar");
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(UnitRadio);
    layout->addWidget(ShowHiddenChk);
    layout->addStretch();
    return bar;
}

} // namespace lumora::exporter
