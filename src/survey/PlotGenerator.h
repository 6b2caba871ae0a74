// Writes synthetic plot files that look like a cave survey compiler's output (lumora gen).
#pragma once

#include "survey/VectorMath.h"

#include <cstdint>
#include <iosfwd>
#include <string>

namespace lumora::survey {

enum class TLineEnd { CrLf, Lf };

// What to write. The same options and seed give the same bytes on every machine: the generator
// uses its own random numbers and integer geometry, never the standard library's distributions
// or floating-point trigonometry.
struct TGenOptions {
    std::uint64_t Seed = 1;
    // Station lines (M, D, d, L) to write, exactly. 0 writes only the header lines.
    std::int64_t Stations = 10000;
    // S lines. 0 writes no section (and then no fixed station, which must follow an S); the
    // count is lowered so that every section gets at least 10 station lines.
    std::int32_t Sections = 3;
    TLineEnd LineEnd = TLineEnd::CrLf;
    // Write G and O lines and UTM coordinates in feet; false: no zone, no datum, local coordinates.
    bool Georeferenced = true;
    std::int32_t Zone = 13; // UTM zone, 1 to 60
    bool Southern = false;  // the zone is written negative, northings are southern ones
    // Datum name of the O line; empty: "North American 1927" in the north, "WGS 1984" in the south.
    std::string Datum;
    bool EndWithCtrlZ = false; // a Ctrl+Z byte after the last line, as some survey programs write
};

// What a generated file holds, as a reader should find it. Bounds in feet, X east, Y north, Z up.
struct TGenStats {
    std::int64_t StationLines = 0; // M + D + d + L lines
    std::int64_t MoveLines = 0;
    std::int64_t DrawLines = 0;    // 'D' only
    std::int64_t HiddenDraws = 0;  // 'd'
    std::int64_t FeatureLines = 0; // 'L', with or without a V value
    std::int64_t ValueLines = 0;   // 'L' lines carrying a V value
    std::int64_t Comments = 0;     // station lines with a quoted comment (possibly empty)
    std::int64_t PMarks = 0;       // comments holding the "{P}" marker
    std::int32_t Sections = 0;     // S lines
    std::int32_t Surveys = 0;      // N blocks (each closed by an X line)
    std::int32_t Features = 0;     // F blocks (each closed by an X line)
    std::int32_t RangedFeatures = 0;
    std::int32_t FixedStations = 0; // P lines
    std::int32_t Loops = 0;         // R lines
    std::int32_t LoopsWithValue = 0;
    std::int64_t LoopEdges = 0; // edges over all R lines; every named station exists
    T3DVector MinBounds;        // the Z line's box: it holds every station and fixed station
    T3DVector MaxBounds;
    std::uint64_t Bytes = 0;
};

// Writes a plot file to out in one streaming pass (constant memory; the overall box of the first
// line comes from a silent rehearsal with the same seed). Throws WriteError naming outputName when
// the stream fails; what was written so far stays in the stream.
TGenStats GeneratePlotFile(std::ostream& out, const TGenOptions& options,
                           const std::string& outputName = "output");

// Writes a plot file to fileName, replacing it. Throws WriteError naming the file when it cannot
// be created or written completely; the old file is untouched then (no partial file remains).
TGenStats GeneratePlotFile(const std::string& fileName, const TGenOptions& options);

} // namespace lumora::survey
