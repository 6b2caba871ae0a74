// The Shapefile writer: opens a set (.shp, .shx, .dbf), writes headers, records and index
// entries, closes the set, and owns the export's progress display and unit conversion.
#pragma once

#include "exporter/BinaryFile.h"
#include "exporter/DBFLibrary.h"
#include "exporter/ExportOptions.h"
#include "platform/UiServices.h"
#include "survey/PlotArray.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lumora::exporter {

using survey::T3DVector;

// Shape kinds a layer asks for; the set's shape type follows from the kind and the 3D choice.
enum TShapeKind : std::int32_t {
    skPoint = 0,
    skLine = 1,
    skArea = 2,
    skPrism = 3,
    skMultipatch = 4,
};

// ESRI shape type of a set: Point 1/11, PolyLine 3/13, Polygon 5/15, prisms always PolygonZ
// (15) and multipatches MultiPatch (31).
std::int32_t ShapeTypeOf(TShapeKind kind, bool threeD);

// The name offered for a new set: the plot file's name without folder and extension, "_",
// "3D" or "2D", and the data type's suffix ("sta", "srv", ...; "___" for any other).
std::string DefaultSetName(const std::string& plotFileName, bool threeD, TShapeDataType dataType);

// Why chosenName cannot name a Shapefile set, or nothing when it can: it names a folder or a
// device (a set is named by its files' common name), or one of the set's files (.shp, .shx, .dbf,
// .prj, .zip) would be a folder, a device or in a missing folder. The message names the file.
std::optional<std::string> SetNameProblem(const std::string& chosenName);

inline constexpr const char* kProcessingText = "Processing Data";
inline constexpr const char* kCompletedText = "Conversion Completed";

// What the caller lends an export: the user (warnings, questions, pending events), the save
// dialog and the window's "File:", "Status:" and progress gauge. Empty functions show nothing.
struct TShapeExportIo {
    UiServices* Ui = nullptr; // must be set
    // The save dialog: receives the offered name, returns the chosen file name (with its folder)
    // or nothing when the user cancels.
    std::function<std::optional<std::string>(const std::string& offeredName)> ChooseSetName;
    std::function<void(const std::string&)> ShowFileName;
    std::function<void(const std::string&)> ShowStatus;
    std::function<void(int)> ShowGauge;
};

// One Shapefile set at a time: the open main and index files, the set's names, the record
// counter and the attribute table. Lengths are in feet inside; the record writers convert
// positions to metres when asked. Every file failure throws lumora::WriteError naming the file.
class TShapeWriter {
public:
    TShapeWriter(survey::TPlotData& data, TShapeExportIo io);
    ~TShapeWriter();

    survey::TPlotData& Data() { return m_Data; }
    UiServices& Ui() { return *m_Io.Ui; }
    TDBFWriter Table;
    std::int32_t RecordNumber = 1;
    double FeetToMeters; // the suite's factor, taken when the writer is made
    TShapeDataType DataType = TShapeDataType::Stations; // picks the offered name's suffix
    // The prism layers build their table on a second thread while the calling thread writes the
    // shapes (the same bytes either way).
    bool ParallelTablePass = true;

    // Asks for the set's name and creates its main and index files. False (nothing created)
    // when no plot file is loaded ("No Plot File Open"), the dialog is cancelled, or the user
    // declines replacing the set's existing files. Throws WriteError when a file cannot be made,
    // and before asking anything when the name is unusable (SetNameProblem).
    bool OpenShapeFiles(const std::string& plotFileName, TShapeKind kind, bool threeD);
    // Patches both files' lengths, closes them and saves the table beside them.
    void CloseShapeFiles();
    // The same after a failure: closes what is open, keeping the records and rows so far, and
    // swallows further failures so that the first one reaches the user.
    void CloseShapeFilesAfterFailure() noexcept;
    // Writes text as the set's projection file (replacing it).
    void WriteProjectionFile(const std::string& text);

    std::int32_t ShapeType() const { return m_ShapeType; }
    TBinaryFile& MainFile() { return *m_Main; }
    TBinaryFile& IndexFile() { return *m_Index; }
    // Full paths of the set's files: the chosen folder, the base name and "shp", "shx", ...
    std::string MainFileName() const { return m_BaseName + "shp"; }
    std::string IndexFileName() const { return m_BaseName + "shx"; }
    std::string TableFileName() const { return m_BaseName + "dbf"; }
    std::string ProjectionFileName() const { return m_BaseName + "prj"; }

    // The 100-byte header of a main or index file (file length 0 until the set is closed). The
    // box given stands for a set without records: closing a set with records replaces it, in
    // both files, by the box (X, Y and Z) of every point written.
    static void WriteShapeHeader(TBinaryFile& stream, std::int32_t shapeType,
                                 const T3DVector& minBounds, const T3DVector& maxBounds);
    // Writes the record number and a length placeholder; the record number advances.
    void BeginShapeRecord(TBinaryFile& main);
    // Patches the record's content length (16-bit words) from the file's size.
    void EndShapeRecord(TBinaryFile& main);
    // Offset and length in bytes, written as 16-bit words, big-endian.
    static void WriteIndexEntry(TBinaryFile& index, std::int64_t offset, std::int64_t length);

    // Writes one whole record: header, the body that body() writes to the main file, the
    // length patch, the index entry.
    template <class Body> void AddShape(Body&& body) {
        const std::int64_t offset = m_Main->Size();
        BeginShapeRecord(*m_Main);
        body(*m_Main);
        EndShapeRecord(*m_Main);
        WriteIndexEntry(*m_Index, offset, m_Main->Size() - offset - 8);
    }

    // Record bodies. Points are in feet; metres converts them with FeetToMeters.
    void WritePointRecord(TBinaryFile& main, const T3DVector& p);
    void WritePointZRecord(TBinaryFile& main, const T3DVector& p);
    // The points of the plot records first..last by the run rule: a draw is a point, a move
    // followed by a draw starts a part, and a hidden draw is a draw when includeHidden, else a
    // move (so "M D d D" gives two parts); box and Z range are written as given (already in the
    // chosen unit).
    void WriteRunPolyline(TBinaryFile& main, std::int32_t first, std::int32_t last,
                          const T3DVector& boxMin, const T3DVector& boxMax, double zMin,
                          double zMax, bool includeHidden, bool metres);
    // A two-point line of the set's type; points already in the chosen unit.
    void WriteSegmentPolyline(TBinaryFile& main, const T3DVector& a, const T3DVector& b);
    // The ring c0, c2, c3, c1, c0 of an outline, Polygon or PolygonZ; corners in the chosen unit.
    void WriteOutlinePolygon(TBinaryFile& main, const std::array<T3DVector, 4>& c);
    // The ring p0, p1, p2, p3, p0 with Z, PolygonZ or (one outer-ring part) MultiPatch.
    void WriteFacePolygon(TBinaryFile& main, const std::array<T3DVector, 4>& p);

    // Sets the gauge, lets pending events run and shows "Processing Data". A layer's 100 does
    // not say the conversion is complete: ShowCompleted does, once everything is written.
    void ShowProgress(int percent);
    void ShowCompleted();

    T3DVector ToMetres(const T3DVector& p) const;
    void ToMetres(survey::TPlotRecord& r) const;

private:
    bool ConfirmReplacing(const std::string& baseName);
    void WriteRing(TBinaryFile& main, const T3DVector* points, int count, bool withZ,
                   bool multipatch);
    // Widens the box of the points written so far (in the unit written).
    void Extend(const T3DVector& p);
    // Writes that box into the header of file, when a point was written.
    void PatchHeaderBox(TBinaryFile& file) const;

    survey::TPlotData& m_Data;
    TShapeExportIo m_Io;
    std::unique_ptr<TBinaryFile> m_Main;
    std::unique_ptr<TBinaryFile> m_Index;
    std::string m_BaseName; // folder, file name without extension, and '.'
    std::int32_t m_ShapeType = 0;
    std::int64_t m_LengthPosition = 0;
    std::vector<std::int32_t> m_RunPoints;
    std::vector<std::int32_t> m_RunParts;
    bool m_HasExtent = false;
    T3DVector m_ExtentMin;
    T3DVector m_ExtentMax;
};

// Integer percent of done out of total, rounded (halves to even); 0 when total is 0.
int RoundPercent(double done, double total);

} // namespace lumora::exporter
