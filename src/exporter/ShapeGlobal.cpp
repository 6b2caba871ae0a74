#include "exporter/ShapeGlobal.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"
#include "survey/SuiteSettings.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <filesystem>

namespace lumora::exporter {

namespace {

constexpr std::int32_t kFileCode = 9994;
constexpr std::int32_t kVersion = 1000;
constexpr std::int32_t kMultiPatch = 31;
constexpr std::int32_t kOuterRing = 2;
constexpr std::int64_t kHeaderSize = 100;

bool HasZ(std::int32_t shapeType) {
    return shapeType > 10;
}

void WriteBox(TBinaryFile& f, const T3DVector* points, int count) {
    double xMin = points[0].X, yMin = points[0].Y, xMax = xMin, yMax = yMin;
    for (int i = 1; i < count; ++i) {
        xMin = std::min(xMin, points[i].X);
        yMin = std::min(yMin, points[i].Y);
        xMax = std::max(xMax, points[i].X);
        yMax = std::max(yMax, points[i].Y);
    }
    f.WriteDoubleLE(xMin);
    f.WriteDoubleLE(yMin);
    f.WriteDoubleLE(xMax);
    f.WriteDoubleLE(yMax);
}

// Z range, each Z, then the M range and one M per point, all 0.
void WriteZAndM(TBinaryFile& f, const T3DVector* points, int count) {
    double zMin = points[0].Z, zMax = zMin;
    for (int i = 1; i < count; ++i) {
        zMin = std::min(zMin, points[i].Z);
        zMax = std::max(zMax, points[i].Z);
    }
    f.WriteDoubleLE(zMin);
    f.WriteDoubleLE(zMax);
    for (int i = 0; i < count; ++i)
        f.WriteDoubleLE(points[i].Z);
    for (int i = 0; i < count + 2; ++i)
        f.WriteDoubleLE(0.0);
}

std::string WithoutFolder(const std::string& fileName) {
    return std::filesystem::path(fileName).filename().string();
}

} // namespace

std::int32_t ShapeTypeOf(TShapeKind kind, bool threeD) {
    switch (kind) {
    case skPoint:
        return threeD ? 11 : 1;
    case skLine:
        return threeD ? 13 : 3;
    case skArea:
        return threeD ? 15 : 5;
    case skPrism:
        return 15;
    case skMultipatch:
        return kMultiPatch;
    }
    return 0;
}

std::string DefaultSetName(const std::string& plotFileName, bool threeD, TShapeDataType dataType) {
    static const char* const kSuffixes[] = {"sta", "srv",   "shots",  "splt",  "fpt",   "fln",
                                            "pas", "prism", "mprism", "bound", "mbound"};
    const auto index = static_cast<std::int32_t>(dataType);
    const std::string suffix = index >= 0 && index <= 10 ? kSuffixes[index] : "___";
    return std::filesystem::path(plotFileName).stem().string() + "_" + (threeD ? "3D" : "2D") +
           suffix;
}

std::optional<std::string> SetNameProblem(const std::string& chosenName) {
    std::error_code ec;
    const auto status = std::filesystem::status(chosenName, ec);
    if (status.type() == std::filesystem::file_type::directory)
        return chosenName + ": Is a directory; give the set's name, such as " +
               (std::filesystem::path(chosenName) / "cave").string();
    if (!ec && status.type() != std::filesystem::file_type::regular)
        return chosenName + ": Not a regular file";
    const std::filesystem::path path(chosenName);
    const std::string baseName = (path.parent_path() / path.stem()).string() + ".";
    for (const char* extension : {"shp", "shx", "dbf", "prj", "zip"})
        if (const auto problem = platform::TargetProblem(baseName + extension))
            return baseName + extension + ": " + *problem;
    return std::nullopt;
}

int RoundPercent(double done, double total) {
    return total == 0 ? 0 : static_cast<int>(std::nearbyint(100.0 * done / total));
}

TShapeWriter::TShapeWriter(survey::TPlotData& data, TShapeExportIo io)
    : FeetToMeters(survey::FeetToMeters()), m_Data(data), m_Io(std::move(io)) {}

TShapeWriter::~TShapeWriter() = default;

bool TShapeWriter::OpenShapeFiles(const std::string& plotFileName, TShapeKind kind, bool threeD) {
    if (!m_Data.Loaded) {
        Ui().Warning("No Plot File Open");
        return false;
    }
    const std::string offered = DefaultSetName(plotFileName, threeD, DataType);
    const std::optional<std::string> chosen =
        m_Io.ChooseSetName ? m_Io.ChooseSetName(offered) : std::optional<std::string>(offered);
    if (!chosen || chosen->empty())
        return false;
    if (const auto problem = SetNameProblem(*chosen))
        throw WriteError(*problem);
    std::filesystem::path path(*chosen);
    const std::string baseName = (path.parent_path() / path.stem()).string() + ".";
    if (!ConfirmReplacing(baseName))
        return false;
    m_BaseName = baseName;
    m_ShapeType = ShapeTypeOf(kind, threeD);
    m_HasExtent = false;
    if (m_Io.ShowFileName)
        m_Io.ShowFileName(WithoutFolder(MainFileName()));
    // The parts of a set are written in place: a failed set keeps what was written so far.
    m_Main = std::make_unique<TBinaryFile>(MainFileName(), TBinaryFile::TMode::InPlace);
    m_Index = std::make_unique<TBinaryFile>(IndexFileName(), TBinaryFile::TMode::InPlace);
    return true;
}

// The files this set would replace are the ones it writes: the table, main, index and projection
// files, asked about in that order.
bool TShapeWriter::ConfirmReplacing(const std::string& baseName) {
    std::string existing;
    for (const char* extension : {"dbf", "shp", "shx", "prj"}) {
        if (std::filesystem::exists(baseName + extension))
            existing += WithoutFolder(baseName + extension) + "\r\n";
    }
    if (existing.empty())
        return true;
    return Ui().AskYesNo("The files: \r\n" + existing +
                         "already exist.\r\nDo you want to replace them?");
}

void TShapeWriter::CloseShapeFiles() {
    for (TBinaryFile* f : {m_Main.get(), m_Index.get()}) {
        if (!f || !f->IsOpen())
            continue;
        const std::int64_t words = f->Size() / 2;
        if (words > INT32_MAX)
            throw WriteError(f->FileName() + ": too large for a Shapefile");
        f->PatchInt32BE(24, static_cast<std::int32_t>(words));
        PatchHeaderBox(*f);
        f->Close();
    }
    m_Main.reset();
    m_Index.reset();
    Table.SaveToFile(TableFileName());
}

void TShapeWriter::CloseShapeFilesAfterFailure() noexcept {
    for (TBinaryFile* f : {m_Main.get(), m_Index.get()}) {
        try {
            if (f && f->IsOpen() && f->Size() >= kHeaderSize) {
                f->PatchInt32BE(24, static_cast<std::int32_t>(
                                        std::min<std::int64_t>(f->Size() / 2, INT32_MAX)));
                PatchHeaderBox(*f);
            }
            if (f)
                f->Close();
        } catch (...) {
        }
    }
    m_Main.reset();
    m_Index.reset();
    try {
        if (!m_BaseName.empty())
            Table.SaveToFile(TableFileName());
    } catch (...) {
    }
}

void TShapeWriter::WriteProjectionFile(const std::string& text) {
    TBinaryFile file(ProjectionFileName(), TBinaryFile::TMode::InPlace);
    file.Write(text);
    file.Close();
}

void TShapeWriter::WriteShapeHeader(TBinaryFile& stream, std::int32_t shapeType,
                                    const T3DVector& minBounds, const T3DVector& maxBounds) {
    stream.WriteInt32BE(kFileCode);
    for (int i = 0; i < 6; ++i)
        stream.WriteInt32BE(0); // five unused integers and the file length
    stream.WriteInt32LE(kVersion);
    stream.WriteInt32LE(shapeType);
    for (double v : {minBounds.X, minBounds.Y, maxBounds.X, maxBounds.Y, minBounds.Z, maxBounds.Z})
        stream.WriteDoubleLE(v);
    stream.WriteDoubleLE(-DBL_MAX);
    stream.WriteDoubleLE(-DBL_MAX);
}

void TShapeWriter::Extend(const T3DVector& p) {
    if (!m_HasExtent) {
        m_ExtentMin = m_ExtentMax = p;
        m_HasExtent = true;
        return;
    }
    m_ExtentMin = survey::VecMin(m_ExtentMin, p);
    m_ExtentMax = survey::VecMax(m_ExtentMax, p);
}

// The box the layer gave is that of the plot file's stated bounds, which need not hold what was
// written (walls reach past the stations, rounding and merging move corners); readers trust the
// header's box to bound every record, so it is taken from the records themselves.
void TShapeWriter::PatchHeaderBox(TBinaryFile& file) const {
    if (!m_HasExtent)
        return;
    file.PatchDoubleLE(36, m_ExtentMin.X);
    file.PatchDoubleLE(44, m_ExtentMin.Y);
    file.PatchDoubleLE(52, m_ExtentMax.X);
    file.PatchDoubleLE(60, m_ExtentMax.Y);
    file.PatchDoubleLE(68, m_ExtentMin.Z);
    file.PatchDoubleLE(76, m_ExtentMax.Z);
}

void TShapeWriter::BeginShapeRecord(TBinaryFile& main) {
    main.WriteInt32BE(RecordNumber);
    m_LengthPosition = main.Size();
    main.WriteInt32BE(14);
    ++RecordNumber;
}

void TShapeWriter::EndShapeRecord(TBinaryFile& main) {
    main.PatchInt32BE(m_LengthPosition,
                      static_cast<std::int32_t>((main.Size() - m_LengthPosition - 4) / 2));
}

void TShapeWriter::WriteIndexEntry(TBinaryFile& index, std::int64_t offset, std::int64_t length) {
    index.WriteInt32BE(static_cast<std::int32_t>(offset / 2));
    index.WriteInt32BE(static_cast<std::int32_t>(length / 2));
}

void TShapeWriter::WritePointRecord(TBinaryFile& main, const T3DVector& p) {
    Extend(p);
    main.WriteInt32LE(1);
    main.WriteDoubleLE(p.X);
    main.WriteDoubleLE(p.Y);
}

void TShapeWriter::WritePointZRecord(TBinaryFile& main, const T3DVector& p) {
    Extend(p);
    main.WriteInt32LE(11);
    main.WriteDoubleLE(p.X);
    main.WriteDoubleLE(p.Y);
    main.WriteDoubleLE(p.Z);
    main.WriteDoubleLE(0.0);
}

void TShapeWriter::WriteRunPolyline(TBinaryFile& main, std::int32_t first, std::int32_t last,
                                    const T3DVector& boxMin, const T3DVector& boxMax, double zMin,
                                    double zMax, bool includeHidden, bool metres) {
    const survey::TPlotArray& shots = m_Data.Shots;
    // A hidden draw counts as a draw when hidden shots are included; when they are left out it
    // breaks the run as a move does, so that no line joins the stations on either side of it.
    auto typeOf = [&](std::int32_t i) {
        const char t = shots.RecordType(i);
        if (t == 'd')
            return includeHidden ? 'D' : 'M';
        return includeHidden ? static_cast<char>(std::toupper(static_cast<unsigned char>(t))) : t;
    };
    m_RunPoints.clear();
    m_RunParts.clear();
    for (std::int32_t i = first; i <= last; ++i) {
        const char t = typeOf(i);
        if (t == 'M' && i < last && typeOf(i + 1) == 'D')
            m_RunParts.push_back(static_cast<std::int32_t>(m_RunPoints.size()));
        else if (t != 'D')
            continue;
        m_RunPoints.push_back(i);
    }
    const double factor = metres ? FeetToMeters : 1.0;
    for (std::int32_t i : m_RunPoints)
        Extend(survey::Scale(shots.Position(i), factor));
    main.WriteInt32LE(m_ShapeType);
    for (double v : {boxMin.X, boxMin.Y, boxMax.X, boxMax.Y})
        main.WriteDoubleLE(v);
    main.WriteInt32LE(static_cast<std::int32_t>(m_RunParts.size()));
    main.WriteInt32LE(static_cast<std::int32_t>(m_RunPoints.size()));
    for (std::int32_t part : m_RunParts)
        main.WriteInt32LE(part);
    for (std::int32_t i : m_RunPoints) {
        main.WriteDoubleLE(shots.Position(i).X * factor);
        main.WriteDoubleLE(shots.Position(i).Y * factor);
    }
    if (!HasZ(m_ShapeType))
        return;
    main.WriteDoubleLE(zMin);
    main.WriteDoubleLE(zMax);
    for (std::int32_t i : m_RunPoints)
        main.WriteDoubleLE(shots.Position(i).Z * factor);
    for (std::size_t i = 0; i < m_RunPoints.size() + 2; ++i)
        main.WriteDoubleLE(0.0);
}

void TShapeWriter::WriteRing(TBinaryFile& main, const T3DVector* points, int count, bool withZ,
                             bool multipatch) {
    for (int i = 0; i < count; ++i)
        Extend(points[i]);
    main.WriteInt32LE(m_ShapeType);
    WriteBox(main, points, count);
    main.WriteInt32LE(1);
    main.WriteInt32LE(count);
    main.WriteInt32LE(0);
    if (multipatch)
        main.WriteInt32LE(kOuterRing);
    for (int i = 0; i < count; ++i) {
        main.WriteDoubleLE(points[i].X);
        main.WriteDoubleLE(points[i].Y);
    }
    if (withZ)
        WriteZAndM(main, points, count);
}

void TShapeWriter::WriteSegmentPolyline(TBinaryFile& main, const T3DVector& a, const T3DVector& b) {
    const T3DVector points[2] = {a, b};
    WriteRing(main, points, 2, HasZ(m_ShapeType), false);
}

void TShapeWriter::WriteOutlinePolygon(TBinaryFile& main, const std::array<T3DVector, 4>& c) {
    const T3DVector ring[5] = {c[0], c[2], c[3], c[1], c[0]};
    WriteRing(main, ring, 5, HasZ(m_ShapeType), false);
}

void TShapeWriter::WriteFacePolygon(TBinaryFile& main, const std::array<T3DVector, 4>& p) {
    const T3DVector ring[5] = {p[0], p[1], p[2], p[3], p[0]};
    WriteRing(main, ring, 5, true, m_ShapeType == kMultiPatch);
}

void TShapeWriter::ShowProgress(int percent) {
    if (m_Io.ShowGauge)
        m_Io.ShowGauge(percent);
    Ui().ProcessPendingEvents();
    if (m_Io.ShowStatus)
        m_Io.ShowStatus(kProcessingText);
}

void TShapeWriter::ShowCompleted() {
    if (m_Io.ShowGauge)
        m_Io.ShowGauge(100);
    if (m_Io.ShowStatus)
        m_Io.ShowStatus(kCompletedText);
}

T3DVector TShapeWriter::ToMetres(const T3DVector& p) const {
    return survey::Scale(p, FeetToMeters);
}

void TShapeWriter::ToMetres(survey::TPlotRecord& r) const {
    r.Position = ToMetres(r.Position);
    const auto factor = static_cast<float>(FeetToMeters);
    r.Up *= factor;
    r.Down *= factor;
    r.Right *= factor;
    r.Left *= factor;
}

} // namespace lumora::exporter
