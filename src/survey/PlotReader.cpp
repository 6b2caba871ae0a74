#include "survey/PlotReader.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"
#include "survey/GraphBuilder.h"
#include "survey/PlotScanner.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace lumora::survey {

namespace {

constexpr double kHuge = 9.9e99;

// A passage dimension as the passage code uses it: below 0, above 900 or not a number is missing.
double PresentDimension(float value) {
    return value >= 0.0f && value <= 900.0f ? value : 0.0;
}

int DaysInMonth(int month, int year) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && (year % 4 == 0 && (year % 100 != 0 || year % 400 == 0)))
        return 29;
    return kDays[month - 1];
}

// Removes the first "{P}" in any letter case; true when there was one.
bool TakePMark(std::string& comment) {
    for (std::size_t i = 0; i + 3 <= comment.size(); ++i) {
        if (comment[i] == '{' && (comment[i + 1] == 'P' || comment[i + 1] == 'p') &&
            comment[i + 2] == '}') {
            comment.erase(i, 3);
            return true;
        }
    }
    return false;
}

// One load of one file into one model: the line handlers and their shared state.
class TPlotLoader {
public:
    TPlotLoader(TPlotData& data, const std::string& fileName, const TLoadProgressProc& progress,
                UiServices& ui)
        : m_Data(data), m_Scanner(fileName), m_Progress(progress), m_Ui(ui) {}

    void Run() {
        try {
            while (!m_Scanner.AtEnd()) {
                const int letter = m_Scanner.Get();
                if (!HandleLine(letter))
                    break;
            }
        } catch (...) {
            DrainGraphAfterFailure(); // the model keeps what was read so far, shots included
            throw;
        }
        m_Graph.Drain();
        Finish();
    }

private:
    // Returns false when the load is to stop (an abort seen after a survey header).
    bool HandleLine(int letter) {
        switch (letter) {
        case 'M':
        case 'D':
        case 'd':
        case 'L':
            StationLine(static_cast<char>(letter));
            return true;
        case 'N':
            SurveyHeader();
            return !m_Data.AbortLoad;
        case 'F':
            FeatureHeader();
            return true;
        case 'X':
            SurveyBounds();
            return true;
        case 'Z':
            FileBounds();
            return true;
        case 'S':
            Section();
            return true;
        case 'P':
            FixedStation();
            return true;
        case 'G':
            Zone();
            return true;
        case 'O':
            m_Data.DatumName = std::string(m_Scanner.ReadToken(255, 32));
            m_Scanner.SkipLine();
            return true;
        case 'R':
            Loop();
            return true;
        case 'C':
            m_Scanner.ReadInteger();
            m_Scanner.SkipLine();
            return true;
        default:
            m_Scanner.SkipLine();
            return true;
        }
    }

    void ProgressPoint() {
        if (m_Progress)
            m_Progress(m_HeaderCount, m_RecordCount);
        m_Ui.ProcessPendingEvents();
    }

    T3DVector ReadNorthEastVertical() {
        T3DVector p;
        p.Y = m_Scanner.ReadReal();
        p.X = m_Scanner.ReadReal();
        p.Z = m_Scanner.ReadReal();
        return p;
    }

    void StationLine(char letter) {
        TPlotRecord r;
        if (m_PrevType != 'M' && m_PrevType != 'L')
            ++m_ShotCounter;
        if (letter == 'M' || letter == 'L')
            m_Data.TraverseStarts.Add(m_Data.Shots.Count());
        if (++m_RecordCount % 200 == 0)
            ProgressPoint();
        r.Position = ReadNorthEastVertical();
        r.RecordType = letter;
        r.ShotNumber = m_ShotCounter;
        if (m_Scanner.FindLetter('S')) {
            r.Station.Assign(m_Scanner.ReadToken(20, 33));
            if (!m_Scanner.CurrentIsCR() && m_Scanner.FindLetter('P'))
                StationDetails(r, letter);
        }
        m_Scanner.SkipLine();
        if (letter != 'L')
            WidenPassageRange(r);
        m_Data.Shots.Add(r);
        AddShotToGraph(letter);
        m_PrevType = letter;
    }

    // The passage's vertical extent over the station records (features carry values, not
    // dimensions), from the first one on: the highest elevation plus its Up and the lowest minus
    // its Down, a missing dimension (a marker such as 999 or -9999) counting as 0.
    void WidenPassageRange(const TPlotRecord& r) {
        const double top = r.Position.Z + PresentDimension(r.Up);
        const double bottom = r.Position.Z - PresentDimension(r.Down);
        const bool first = !m_HavePassageRange;
        m_HavePassageRange = true;
        m_Data.PassageTop = first ? top : std::max(m_Data.PassageTop, top);
        m_Data.PassageBottom = first ? bottom : std::min(m_Data.PassageBottom, bottom);
    }

    // A draw adds the shot from the previous station line to the graph. The graph is built on
    // a second thread while reading goes on; it is drained before anything reads it (loop lines,
    // the end of the load, a failure).
    void AddShotToGraph(char letter) {
        const std::int32_t record = m_Data.Shots.Count() - 1;
        if ((letter != 'D' && letter != 'd') || record < 1)
            return;
        TShotEnds shot;
        shot.Record = record;
        shot.FromName.Assign(m_Data.Shots.Station(record - 1));
        shot.ToName.Assign(m_Data.Shots.Station(record));
        shot.FromPosition = m_Data.Shots.Position(record - 1);
        shot.ToPosition = m_Data.Shots.Position(record);
        m_Graph.Add(shot);
    }

    // After a failure the graph keeps the shots read before it; a second failure while draining
    // (memory) gives way to the first.
    void DrainGraphAfterFailure() {
        try {
            m_Graph.Drain();
        } catch (...) {
        }
    }

    // The P part and what follows it: dimensions, then a feature value or I, F and the comment.
    void StationDetails(TPlotRecord& r, char letter) {
        r.Left = static_cast<float>(m_Scanner.ReadReal());
        r.Up = static_cast<float>(m_Scanner.ReadReal());
        r.Down = static_cast<float>(m_Scanner.ReadReal());
        r.Right = static_cast<float>(m_Scanner.ReadReal());
        if (letter == 'L') {
            if (!m_Scanner.CurrentIsCR() && m_Scanner.FindLetter('V')) {
                r.Right = static_cast<float>(m_Scanner.ReadLooseNumber());
                r.Down = static_cast<float>(m_RangeLow);
                r.Up = static_cast<float>(m_RangeHigh);
                r.RecordType = 'V';
            }
            return;
        }
        if (m_Scanner.CurrentIsCR() || !m_Scanner.FindLetter('I'))
            return;
        r.IValue = m_Scanner.ReadReal();
        if (!m_Scanner.FindLetter('F'))
            return;
        r.Flags.Assign(m_Scanner.ReadFlagWord());
        if (m_Scanner.CurrentIsCR())
            return;
        std::string comment(m_Scanner.ReadQuoted(255));
        r.PMark = TakePMark(comment);
        r.Comment.Assign(comment);
    }

    void SurveyHeader() {
        m_Survey.SurveyKind = 0;
        m_Survey.Name.Assign(m_Scanner.ReadToken(255, 33));
        int month = 1, day = 1, year = 1;
        if (!m_Scanner.CurrentIsCR() && m_Scanner.FindLetter('D')) {
            month = m_Scanner.ReadInteger();
            day = m_Scanner.ReadInteger();
            year = m_Scanner.ReadInteger();
        }
        year = std::clamp(year, 1, 65535);
        month = std::clamp(month, 1, 12);
        day = std::clamp(day, 1, DaysInMonth(month, year));
        m_Survey.Month = static_cast<std::uint8_t>(month);
        m_Survey.Day = static_cast<std::uint8_t>(day);
        m_Survey.Year = static_cast<std::uint16_t>(year);
        if (!m_Scanner.CurrentIsCR() && m_Scanner.FindLetter('C'))
            m_Survey.Comment.Assign(m_Scanner.ReadRestOfLine(255));
        else
            m_Survey.Comment.Assign("");
        StartBlock();
    }

    void FeatureHeader() {
        m_Survey.Name.Assign(m_Scanner.ReadToken(255, 33));
        if (!m_Scanner.CurrentIsCR() && m_Scanner.FindLetter('R')) {
            m_RangeLow = m_Scanner.ReadLooseNumber();
            m_RangeHigh = m_Scanner.ReadLooseNumber();
            m_Survey.SurveyKind = 2;
        } else {
            m_Survey.SurveyKind = 1;
        }
        StartBlock();
    }

    void StartBlock() {
        m_Survey.IsFeature = m_Survey.SurveyKind != 0;
        m_Survey.FirstShot = m_Data.Shots.Count();
        m_Survey.FirstTraverse = m_Data.TraverseStarts.Count();
        m_Scanner.SkipLine();
        if (++m_HeaderCount % 10 == 0)
            ProgressPoint();
    }

    // Six numbers low/high north, east, vertical, as (min, max) boxes in x, y, z order.
    void ReadBox(T3DVector& low, T3DVector& high) {
        low.Y = m_Scanner.ReadReal();
        high.Y = m_Scanner.ReadReal();
        low.X = m_Scanner.ReadReal();
        high.X = m_Scanner.ReadReal();
        low.Z = m_Scanner.ReadReal();
        high.Z = m_Scanner.ReadReal();
    }

    void SurveyBounds() {
        ReadBox(m_Survey.MinBounds, m_Survey.MaxBounds);
        m_Scanner.SkipLine();
        m_Data.Surveys.Add(m_Survey);
    }

    void FileBounds() {
        T3DVector low, high;
        ReadBox(low, high);
        m_Data.MinBounds = VecMin(m_Data.MinBounds, low);
        m_Data.MaxBounds = VecMax(m_Data.MaxBounds, high);
        if (!m_Scanner.CurrentIsCR() && m_Scanner.FindLetter('I'))
            m_Scanner.ReadReal();
        m_Scanner.SkipLine();
    }

    void Section() {
        TSectionRecord section;
        section.Name.Assign(m_Scanner.ReadToken(20, 32));
        section.FirstSurvey = m_Data.Surveys.Count();
        m_Data.Sections.AddSection(section);
        m_Scanner.SkipLine();
    }

    void FixedStation() {
        TFixedStation station;
        station.Name.Assign(m_Scanner.ReadToken(20, 33));
        station.Position = ReadNorthEastVertical();
        const std::int32_t sections = m_Data.Sections.Count();
        if (sections > 0)
            m_Data.Sections.FixedStations(sections - 1).Add(station);
        m_Scanner.SkipLine();
    }

    void Zone() {
        m_Data.UTMZone = m_Scanner.ReadInteger();
        if (m_Data.UTMZone != 0)
            m_Data.Georeferenced = true;
        m_Scanner.SkipLine();
    }

    // A chain of station names; the first edge is kept even when its names are unknown.
    // A loop line: the reference station, the first edge's two stations, then count further
    // stations along the chain. The names are looked up on the graph's thread, in file order, so
    // they see exactly the stations read before this line.
    void Loop() {
        const std::int32_t count = m_Scanner.ReadInteger();
        TEdgeArray& loop = m_Data.Loops.NewLoop();
        std::string names; // the names, each followed by '\n' (a name never holds one)
        for (std::int32_t i = 0; i < 3; ++i)
            (names += m_Scanner.ReadToken(255, 33)) += '\n';
        for (std::int32_t i = 0; i < count && !m_Scanner.AtEnd(); ++i)
            (names += m_Scanner.ReadToken(255, 33)) += '\n';
        if (!m_Scanner.CurrentIsCR() && m_Scanner.FindLetter('S')) {
            loop.Value = m_Scanner.ReadReal();
            loop.HasValue = true;
        }
        m_Graph.AddLoop(loop, std::move(names));
        m_Scanner.SkipLine();
    }

    void Finish() {
        m_Data.DepthRange = m_Data.MaxBounds.Z - m_Data.MinBounds.Z;
        if (m_Data.DepthRange == 0.0)
            m_Data.DepthRange = 0.1;
        if (m_Data.Shots.Count() > 0) {
            m_Data.FirstStation = m_Data.Shots.Position(0);
            m_Data.Center = Scale(Add(m_Data.MinBounds, m_Data.MaxBounds), 0.5);
        } else {
            m_Data.FirstStation = T3DVector{};
            m_Data.Center = T3DVector{};
        }
        if (m_Data.Sections.Count() == 0) {
            TSectionRecord none;
            none.Name.Assign("(None)");
            none.FirstSurvey = 0;
            m_Data.Sections.AddSection(none);
        }
        m_Data.Loaded = true;
        ProgressPoint();
    }

    TPlotData& m_Data;
    TPlotScanner m_Scanner;
    const TLoadProgressProc& m_Progress;
    UiServices& m_Ui;
    TSurveyRecord m_Survey;
    TGraphBuilder m_Graph{m_Data.Graph}; // declared after m_Data: built from it
    bool m_HavePassageRange = false;
    char m_PrevType = 'M';
    std::int32_t m_ShotCounter = 0;
    std::int32_t m_HeaderCount = 0;
    std::int32_t m_RecordCount = 0;
    double m_RangeLow = 0.0;
    double m_RangeHigh = 0.0;
};

void ResetModel(TPlotData& data) {
    data.PassageTop = 0.0;
    data.PassageBottom = 0.0;
    data.MinBounds = {kHuge, kHuge, kHuge};
    data.MaxBounds = {-kHuge, -kHuge, -kHuge};
    data.UTMZone = 0;
    data.DatumName.clear();
    data.Georeferenced = false;
    data.ClearPlotData();
}

} // namespace

void LoadPlotFile(TPlotData& data, const std::string& fileName, const TLoadProgressProc& progress,
                  UiServices& ui) {
    data.PlotFileName = fileName;
    data.AbortLoad = false;
    ResetModel(data);
    BusyCursorGuard busy(ui);
    try {
        TPlotLoader loader(data, fileName, progress, ui);
        loader.Run();
    } catch (const std::bad_alloc&) {
        ui.Warning(kOutOfMemoryText);
        return;
    }
    // An empty file, random bytes or a text in another encoding read without a single record;
    // handing such a model on would show bounds of 9.9e99 and export empty files as success.
    if (!data.AbortLoad && data.Shots.Count() == 0) {
        data.Loaded = false;
        throw PlotFileError(fileName + ": " + kNoSurveyDataText);
    }
}

TPlotCounts CountPlotRecords(const std::string& fileName) {
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file)
        throw PlotFileError(fileName + ": " +
                            (errno == ENOENT ? "File not found" : std::strerror(errno)));
    if (const auto reason = platform::NotRegularReason(::fileno(file))) {
        std::fclose(file);
        throw PlotFileError(fileName + ": " + *reason);
    }
    TPlotCounts counts;
    std::vector<char> block(1 << 22);
    bool atLineStart = true;
    bool prevCR = false;
    bool done = false;
    while (!done) {
        const std::size_t got = std::fread(block.data(), 1, block.size(), file);
        if (got == 0)
            break;
        const char* p = block.data();
        const char* end = p + got;
        if (const void* z = std::memchr(p, 26, got)) {
            end = static_cast<const char*>(z);
            done = true;
        }
        while (p < end) {
            if (atLineStart) {
                // An LF right after a CR belongs to the CR's line end.
                if (!(prevCR && *p == '\n')) {
                    counts.DrawCount += *p == 'D';
                    counts.EndCount += (*p == 'M') * 2;
                }
                atLineStart = false;
            }
            const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
            const char* lineEnd = lf ? lf : end;
            const char* cr = static_cast<const char*>(std::memchr(p, '\r', lineEnd - p));
            if (cr && cr + 1 < lineEnd) {
                // A bare CR ends a line too.
                p = cr + 1;
                atLineStart = true;
                prevCR = false;
                continue;
            }
            if (!lf) {
                prevCR = end > p && end[-1] == '\r';
                atLineStart = prevCR;
                p = end;
                continue;
            }
            p = lf + 1;
            atLineStart = true;
            prevCR = false;
        }
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        throw PlotFileError(fileName + ": Disk read error");
    return counts;
}

} // namespace lumora::survey
