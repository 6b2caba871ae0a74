// The survey model: plot records, surveys, sections, fixed stations, traverses and bounds.
#pragma once

#include "survey/CaveGraph.h"
#include "survey/HugeArry.h"
#include "survey/VectorMath.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace lumora::survey {

// One station line of a plot file. Lengths in feet. For a 'V' record Right holds the feature
// value, Down and Up the first and second number of its feature's range.
struct TPlotRecord {
    char RecordType = 'M'; // 'M' move, 'D' draw, 'd' hidden draw, 'L' feature, 'V' feature value
    bool PMark = false;    // the comment held "{P}"
    ShortString<20> Station{"?"};
    T3DVector Position;
    double IValue = 0.0;
    float Up = 0.0f;
    float Down = 0.0f;
    float Right = 0.0f;
    float Left = 0.0f;
    std::int32_t ShotNumber = 0; // 'D'/'d' records before this one in the file
    ShortString<10> Flags;
    ShortString<255> Comment; // with the first "{P}" removed

    bool IsDraw() const { return RecordType == 'D' || RecordType == 'd'; }
};

struct TSurveyRecord {
    ShortString<255> Name;
    std::uint8_t Day = 1;
    std::uint8_t Month = 1;
    std::uint16_t Year = 1;
    ShortString<255> Comment;
    std::uint8_t SurveyKind = 0; // 0 survey, 1 feature, 2 feature with a value range
    bool IsFeature = false;
    std::int32_t FirstShot = 0;     // index in Shots
    std::int32_t FirstTraverse = 0; // index in TraverseStarts
    T3DVector MinBounds;
    T3DVector MaxBounds;
};

struct TSectionRecord {
    ShortString<20> Name;
    std::int32_t FirstSurvey = 0;
};

struct TFixedStation {
    ShortString<20> Name;
    T3DVector Position;
};

// The plot records in file order. The array keeps each record's comment in a side store rather
// than in the fixed slot, so a file of a million lines costs about 100 bytes per record;
// Get and Put exchange whole TPlotRecord values as usual.
class TPlotArray {
public:
    explicit TPlotArray(std::int32_t initialCapacity);

    std::int32_t Count() const { return m_Items.Count(); }
    std::int32_t Capacity() const { return m_Items.Capacity(); }
    std::int32_t Add(const TPlotRecord& r);
    void Put(std::int32_t i, const TPlotRecord& r);
    void Get(std::int32_t i, TPlotRecord& r) const;
    TPlotRecord Get(std::int32_t i) const;
    void Insert(const TPlotRecord& r, std::int32_t i);
    void Delete(std::int32_t i);
    void Clear();
    // Lowers the largest block the records may take (tests of the out-of-memory path).
    void SetByteLimit(std::int64_t bytes) { m_Items.ByteLimit = bytes; }

    // Fast read access to the fields other than the comment.
    char RecordType(std::int32_t i) const { return m_Items[i].RecordType; }
    const T3DVector& Position(std::int32_t i) const { return m_Items[i].Position; }
    std::string_view Station(std::int32_t i) const { return m_Items[i].Station.View(); }
    std::string_view Comment(std::int32_t i) const;

private:
    // A plot record without its comment, which lives in m_Comments.
    struct TStored {
        char RecordType;
        bool PMark;
        ShortString<20> Station;
        T3DVector Position;
        double IValue;
        float Up, Down, Right, Left;
        std::int32_t ShotNumber;
        ShortString<10> Flags;
        std::uint32_t CommentOffset; // into m_Comments; 0 = empty
    };
    std::uint32_t StoreComment(std::string_view comment);
    TStored ToStored(const TPlotRecord& r);

    THugeRecordArray<TStored> m_Items;
    // Length byte then characters per comment; offset 0 is a shared empty comment.
    std::string m_Comments;
};

using TSurveyArray = THugeRecordArray<TSurveyRecord>;
using TFixedStations = THugeRecordArray<TFixedStation>;

// Owned fixed-station lists, one per section.
class TFixedStationArray {
public:
    explicit TFixedStationArray(std::int32_t initialCapacity);
    TFixedStations& NewList();
    TFixedStations& List(std::int32_t i) { return *m_Lists[i]; }
    const TFixedStations& List(std::int32_t i) const { return *m_Lists[i]; }
    std::int32_t Count() const { return static_cast<std::int32_t>(m_Lists.size()); }
    void Clear();

private:
    std::vector<std::unique_ptr<TFixedStations>> m_Lists;
};

class TSectionArray : public THugeRecordArray<TSectionRecord> {
public:
    explicit TSectionArray(std::int32_t initialCapacity);
    // Appends the section and a new, empty fixed-station list for it.
    std::int32_t AddSection(const TSectionRecord& r);
    TFixedStations& FixedStations(std::int32_t i) { return FixedLists.List(i); }
    const TFixedStations& FixedStations(std::int32_t i) const { return FixedLists.List(i); }
    void Clear() override;

    TFixedStationArray FixedLists{5};
};

// An inclusive index range; empty when Last < First.
struct TRange {
    std::int32_t First = 0;
    std::int32_t Last = -1;
    bool Empty() const { return Last < First; }
};

// The in-memory form of one plot file. Lengths in feet; X east, Y north, Z up.
class TPlotData {
public:
    TPlotData();

    TPlotArray Shots{500};
    TSurveyArray Surveys{500};
    TSectionArray Sections{50};
    THugeInteger TraverseStarts{50};
    TSurveyGraph Graph;
    TLoopList Loops{5};

    T3DVector MinBounds;
    T3DVector MaxBounds;
    T3DVector Center;
    T3DVector FirstStation;
    double DepthRange = 0.0;
    double PassageTop = 0.0;
    double PassageBottom = 0.0;
    std::int32_t UTMZone = 0; // negative south of the equator; 0 none
    bool Georeferenced = false;
    std::string DatumName;
    std::string PlotFileName;
    bool Loaded = false;
    bool AbortLoad = false; // set by a progress dialog to stop a load
    TSurveyRecord LastSurveyRecord;

    TRange SectionSurveyRange(std::int32_t i) const;
    // Also copies survey i into LastSurveyRecord.
    TRange SurveyShotRange(std::int32_t i);
    TRange SurveyTraverseRange(std::int32_t i) const;
    TRange TraverseShotRange(std::int32_t i) const;

    // Empties the arrays, the graph and the loops (back to their initial capacities).
    void ClearPlotData();
};

// The one survey model of the process, shared by the viewer and the exporter.
TPlotData& PlotData();

} // namespace lumora::survey
