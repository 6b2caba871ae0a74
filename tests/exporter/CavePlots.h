// Small survey models built by hand for the KML, VRML and DXF writer tests.
#pragma once

#include "survey/PlotArray.h"

#include <algorithm>
#include <string>

namespace lumora::test {

// Builds a plot record by record, keeping traverse starts, bounds, centre and passage extent as
// the plot reader does (the extent over the station records, from the first one on).
struct TCaveBuilder {
    survey::TPlotData Data;

    TCaveBuilder() {
        Data.Loaded = true;
        Data.UTMZone = 13;
        Data.DatumName = "North American 1927";
        Data.Georeferenced = true;
    }
    void Section(const std::string& name) {
        survey::TSectionRecord s;
        s.Name.Assign(name);
        s.FirstSurvey = Data.Surveys.Count();
        Data.Sections.AddSection(s);
    }
    void Survey(const std::string& name, int kind = 0) {
        if (Data.Sections.Count() == 0)
            Section("MAIN");
        survey::TSurveyRecord s;
        s.Name.Assign(name);
        s.SurveyKind = static_cast<std::uint8_t>(kind);
        s.IsFeature = kind != 0;
        s.FirstShot = Data.Shots.Count();
        s.FirstTraverse = Data.TraverseStarts.Count();
        Data.Surveys.Add(s);
    }
    void Rec(char type, const std::string& name, survey::T3DVector p, float lrud = 3.0f) {
        survey::TPlotRecord r;
        r.RecordType = type;
        r.Station.Assign(name);
        r.Position = p;
        r.Left = r.Right = r.Up = r.Down = lrud;
        if (type == 'M' || type == 'L')
            Data.TraverseStarts.Add(Data.Shots.Count());
        const bool first = Data.Shots.Count() == 0;
        Data.Shots.Add(r);
        Data.MinBounds = first ? p : survey::VecMin(Data.MinBounds, p);
        Data.MaxBounds = first ? p : survey::VecMax(Data.MaxBounds, p);
        if (type != 'L') {
            const double present = lrud >= 0.0f && lrud <= 900.0f ? lrud : 0.0;
            Data.PassageTop =
                m_HaveRange ? std::max(Data.PassageTop, p.Z + present) : p.Z + present;
            Data.PassageBottom =
                m_HaveRange ? std::min(Data.PassageBottom, p.Z - present) : p.Z - present;
            m_HaveRange = true;
        }
        Data.FirstStation = Data.Shots.Position(0);
        Data.Center = survey::Scale(survey::Add(Data.MinBounds, Data.MaxBounds), 0.5);
    }

private:
    bool m_HaveRange = false; // the passage range starts at the first station record
};

// Counts the non-overlapping occurrences of needle in text.
inline int CountOf(const std::string& text, const std::string& needle) {
    int count = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos;
         at = text.find(needle, at + needle.size()))
        ++count;
    return count;
}

} // namespace lumora::test
