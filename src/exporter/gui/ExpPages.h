// ExpPages — the exporter window's five tabs ("Shapefile Export", "VRML Export", "DXF Export",
// "KML", "Wall Settings") and its bottom bar ("Units", "Export Hidden Shots (P-Flag)"): every
// control with its caption, range and default, bound to its field of TExportOptions.
#pragma once

#include "exporter/gui/ExpControls.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;

namespace lumora::exporter {

// Items of "Data Types To Convert".
inline constexpr int kDataTypeCount = 11;
inline constexpr int kFirstPrismType = 7;    // "3D Polygon Prism", "3D Multipatch Prism"
inline constexpr int kFirstBoundingType = 9; // "Bounding Polygon", "Multpatch Bounding Polygon"

// The controls of the tabs and the bottom bar. Made once by the window, which owns the widgets
// (through Tabs and BottomBar) and connects the buttons and reactions.
class TExportPages {
public:
    TExportPages();

    TOptionBinder Binder;
    QTabWidget* Tabs = nullptr;   // PageControl1
    QWidget* BottomBar = nullptr; // "Units" and "Export Hidden Shots (P-Flag)"

    // "Shapefile Export"
    TRadioGroup* DataTypeRadio = nullptr;
    TRadioGroup* ShapeTypeRadio = nullptr;
    QCheckBox* ZipShapeChk = nullptr;
    QPushButton* ExportShapeBtn = nullptr;

    // "VRML Export"
    QCheckBox* DoPassageChk = nullptr;   // "Show 3D Passages"
    QCheckBox* PassDepthChk = nullptr;   // "Color By Depth" of the passages
    QCheckBox* VertexColorChk = nullptr; // "Vertex Colors"
    TColorPanel* PassColorPanel = nullptr;
    TColorPanel* LineColorPanel = nullptr;
    TColorPanel* BackColorPanel = nullptr;
    QPushButton* PassColorBtn = nullptr;
    QPushButton* LineColorBtn = nullptr;
    QPushButton* BackColorBtn = nullptr;
    QLineEdit* TextureEdit = nullptr;
    QPushButton* BrowseTextureBtn = nullptr;
    QPushButton* ExportVRMLBtn = nullptr;

    // "DXF Export"
    QCheckBox* LayerSurveysChk = nullptr;
    QCheckBox* AssocPassChk = nullptr;
    QCheckBox* AssocLabelChk = nullptr;
    TRealSpin* ScaleBarSpin = nullptr;
    TRealSpin* MarkSizeSpin = nullptr;
    // Survey lines, station labels, depth labels, passage walls.
    std::array<TAciPanel*, 4> LayerColorPanels{};
    std::array<QPushButton*, 4> LayerColorBtns{}; // SurveyBtn, LabelBtn, DepthColorBtn, WallsBtn
    QPushButton* ExportDXFBtn = nullptr;

    // "KML"
    QComboBox* DatumList = nullptr;
    TColorPanel* KMLLineColorPanel = nullptr;
    TColorPanel* KMLFillColorPanel = nullptr;
    QPushButton* KMLLineColorBtn = nullptr;
    QPushButton* KMLFillColorBtn = nullptr;
    QPushButton* ExportKMLBtn = nullptr;

    // Bottom bar
    TRadioGroup* UnitRadio = nullptr;
    QCheckBox* ShowHiddenChk = nullptr;

private:
    QWidget* ShapePage();
    QWidget* VrmlPage();
    QWidget* DxfPage();
    QWidget* KmlPage();
    QWidget* WallPage();
    QWidget* Bottom();
};

} // namespace lumora::exporter
