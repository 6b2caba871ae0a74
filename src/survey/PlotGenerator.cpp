// Writes synthetic plot files that look like a cave survey compiler's output (lumora gen).
//
// Everything that reaches the file is integer arithmetic: positions are whole thousandths of a
// foot, dimensions and values whole hundredths, directions whole degrees through a fixed sine
// table. So a seed gives the same bytes on every machine and every library version, and the
// bounds written on the Z and X lines hold exactly the numbers written on the station lines.
#include "survey/PlotGenerator.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <ostream>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace lumora::survey {
namespace {

// xoshiro256** seeded through splitmix64: small, fast and the same everywhere.
class TRandom {
public:
    explicit TRandom(std::uint64_t seed) {
        for (auto& s : m_State)
            s = SplitMix(seed);
    }

    std::uint64_t Next() {
        const std::uint64_t result = Rotl(m_State[1] * 5, 7) * 9;
        const std::uint64_t t = m_State[1] << 17;
        m_State[2] ^= m_State[0];
        m_State[3] ^= m_State[1];
        m_State[1] ^= m_State[2];
        m_State[0] ^= m_State[3];
        m_State[2] ^= t;
        m_State[3] = Rotl(m_State[3], 45);
        return result;
    }

    // A whole number from lo to hi, both included (lo <= hi).
    std::int64_t Range(std::int64_t lo, std::int64_t hi) {
        const auto span = static_cast<std::uint64_t>(hi - lo) + 1;
        return lo + static_cast<std::int64_t>(Next() % span);
    }

    bool Chance(int perMille) { return Range(0, 999) < perMille; }

private:
    static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    static std::uint64_t SplitMix(std::uint64_t& x) {
        std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    std::array<std::uint64_t, 4> m_State{};
};

// sin(d degrees) in millionths, d = 0..90.
constexpr std::array<std::int32_t, 91> kSine = {
    0,      17452,  34899,  52336,  69756,  87156,  104528, 121869, 139173, 156434, 173648, 190809,
    207912, 224951, 241922, 258819, 275637, 292372, 309017, 325568, 342020, 358368, 374607, 390731,
    406737, 422618, 438371, 453990, 469472, 484810, 500000, 515038, 529919, 544639, 559193, 573576,
    587785, 601815, 615661, 629320, 642788, 656059, 669131, 681998, 694658, 707107, 719340, 731354,
    743145, 754710, 766044, 777146, 788011, 798636, 809017, 819152, 829038, 838671, 848048, 857167,
    866025, 874620, 882948, 891007, 898794, 906308, 913545, 920505, 927184, 933580, 939693, 945519,
    951057, 956305, 961262, 965926, 970296, 974370, 978148, 981627, 984808, 987688, 990268, 992546,
    994522, 996195, 997564, 998630, 999391, 999848, 1000000};
constexpr std::int64_t kUnit = 1000000;

std::int64_t SinMicro(int degrees) {
    int d = degrees % 360;
    if (d < 0)
        d += 360;
    if (d <= 90)
        return kSine[d];
    if (d <= 180)
        return kSine[180 - d];
    if (d <= 270)
        return -kSine[d - 180];
    return -kSine[360 - d];
}

std::int64_t CosMicro(int degrees) {
    return SinMicro(degrees + 90);
}

// A position in thousandths of a foot, in the file's order: north, east, vertical.
struct TPoint {
    std::int64_t N = 0;
    std::int64_t E = 0;
    std::int64_t V = 0;
    bool operator==(const TPoint&) const = default;
};

constexpr std::int64_t kFoot = 1000; // thousandths of a foot per foot

// Metres to thousandths of a foot.
std::int64_t MetresToMilliFeet(std::int64_t metres) {
    return metres * 10000000 / 3048;
}

class TBox {
public:
    void Add(const TPoint& p) {
        if (m_Empty) {
            m_Lo = m_Hi = p;
            m_Empty = false;
            return;
        }
        m_Lo = {std::min(m_Lo.N, p.N), std::min(m_Lo.E, p.E), std::min(m_Lo.V, p.V)};
        m_Hi = {std::max(m_Hi.N, p.N), std::max(m_Hi.E, p.E), std::max(m_Hi.V, p.V)};
    }
    bool Empty() const { return m_Empty; }
    const TPoint& Lo() const { return m_Lo; }
    const TPoint& Hi() const { return m_Hi; }
    bool operator==(const TBox&) const = default;

private:
    bool m_Empty = true;
    TPoint m_Lo;
    TPoint m_Hi;
};

T3DVector ToVector(const TPoint& p) {
    const double f = 1.0 / static_cast<double>(kFoot);
    return {static_cast<double>(p.E) * f, static_cast<double>(p.N) * f,
            static_cast<double>(p.V) * f};
}

// A named station: names are survey letters and a number, far below the 20-character limit.
struct TStation {
    std::array<char, 20> Name{};
    std::uint8_t Length = 0;
    TPoint P;
    std::string_view View() const { return {Name.data(), Length}; }
};

// Bijective base 26 from "AA": 0 -> AA, 1 -> AB, ..., 675 -> ZZ, 676 -> AAA.
std::size_t Designation(std::int64_t index, char* out) {
    char reversed[16];
    std::size_t n = 0;
    for (std::int64_t v = index + 27; v > 0; v = (v - 1) / 26)
        reversed[n++] = static_cast<char>('A' + (v - 1) % 26);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = reversed[n - 1 - i];
    return n;
}

TStation MakeStation(std::int64_t surveyIndex, std::int64_t number, const TPoint& p) {
    TStation s;
    std::size_t n = Designation(surveyIndex, s.Name.data());
    const auto r = std::to_chars(s.Name.data() + n, s.Name.data() + s.Name.size(), number);
    s.Length = static_cast<std::uint8_t>(r.ptr - s.Name.data());
    s.P = p;
    return s;
}

// A comment as it stands between the quotes in the file (escapes included).
struct TComment {
    std::string_view Text;
    bool PMark;
};

constexpr std::array<TComment, 14> kComments = {{
    {"{P}Lead: tight crawl continues", true},
    {"Sump {P}", true},
    {"{p}Aven, needs bolting", true},
    {"Named \\\"The Squeeze\\\"", false},
    {"Notes in C:\\\\SURVEY\\\\BOOK2", false},
    {"", false},
    {"Station on large boulder", false},
    {"Stream enters from left", false},
    {"Calcite flowstone on right wall", false},
    {"Strong draught", false},
    {"Dig site", false},
    {"Rope needed: 30m", false},
    {"Bedding plane, 0.3m high", false},
    {"Junction with \\\"Old Series\\\"", false},
}};

constexpr std::array<std::string_view, 8> kFlags = {"L", "P", "S", "X", "LP", "PS", "LS", "PX"};

constexpr std::array<std::string_view, 12> kSurveyComments = {
    "Entrance series",  "Main streamway",    "Upper oxbow",      "Boulder choke bypass",
    "Dry high level",   "Inlet sump series", "Pitch series",     "Resurvey of old line",
    "Crawls to sump 2", "Aven series",       "Surface traverse", "Connection survey"};

constexpr std::array<std::string_view, 8> kSectionNames = {
    "Main Cave", "Upper Series",  "North Extension", "Lower Streamway",
    "Far East",  "West Passages", "Deep Pit Series", "Surface"};

struct TRangedFeature {
    std::string_view Name;
    std::int64_t Low; // hundredths
    std::int64_t High;
};
constexpr std::array<TRangedFeature, 4> kRangedFeatures = {{
    {"Temperature", 4600, 5800},
    {"Airflow", 0, 1250},
    {"pH", 650, 850},
    {"Radon", 10000, 250000},
}};
constexpr std::array<std::string_view, 6> kFeatures = {"Bats",  "Formations", "Bones",
                                                       "Water", "Gypsum",     "Hazard"};

constexpr std::int32_t kMissing[3] = {-900, 99900, -99900}; // hundredths: -9.00, 999.00, -999.00

int DaysInMonth(int month, int year) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// Buffered output: text goes into one fixed block, which is handed to the stream when full.
// Without a stream it only counts bytes (the rehearsal pass).
class TWriter {
public:
    TWriter(std::ostream* out, TLineEnd lineEnd, const std::string& name)
        : m_Out(out), m_CrLf(lineEnd == TLineEnd::CrLf), m_Name(name) {}

    bool Active() const { return m_Out != nullptr; }
    std::uint64_t Bytes() const { return m_Flushed + m_Size; }

    void Char(char c) {
        if (m_Size == m_Buffer.size())
            Flush();
        m_Buffer[m_Size++] = c;
    }
    void Text(std::string_view text) {
        for (char c : text)
            Char(c);
    }
    void Int(std::int64_t value) {
        Reserve(24);
        const auto r =
            std::to_chars(m_Buffer.data() + m_Size, m_Buffer.data() + m_Buffer.size(), value);
        m_Size = static_cast<std::size_t>(r.ptr - m_Buffer.data());
    }
    // value / 10^decimals with exactly that many decimals ("-0.05", "12.340").
    void Fixed(std::int64_t value, int decimals) {
        std::int64_t scale = 1;
        for (int i = 0; i < decimals; ++i)
            scale *= 10;
        if (value < 0)
            Char('-');
        const std::uint64_t magnitude =
            value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
        Int(static_cast<std::int64_t>(magnitude / static_cast<std::uint64_t>(scale)));
        Char('.');
        std::uint64_t fraction = magnitude % static_cast<std::uint64_t>(scale);
        Reserve(8);
        for (int i = decimals - 1; i >= 0; --i) {
            m_Buffer[m_Size + static_cast<std::size_t>(i)] = static_cast<char>('0' + fraction % 10);
            fraction /= 10;
        }
        m_Size += static_cast<std::size_t>(decimals);
    }
    void EndLine() {
        if (m_CrLf)
            Char('\r');
        Char('\n');
    }

    void Flush() {
        if (m_Out && m_Size > 0) {
            errno = 0;
            m_Out->write(m_Buffer.data(), static_cast<std::streamsize>(m_Size));
            if (!*m_Out)
                Fail();
        }
        m_Flushed += m_Size;
        m_Size = 0;
    }
    // Hands everything to the stream and has the stream pass it on.
    void Finish() {
        Flush();
        if (m_Out) {
            m_Out->flush();
            if (!*m_Out)
                Fail();
        }
    }

private:
    void Reserve(std::size_t n) {
        if (m_Buffer.size() - m_Size < n)
            Flush();
    }
    [[noreturn]] void Fail() const {
        const int error = errno;
        std::string reason = "write failed";
        if (error != 0)
            reason += std::string(" (") + std::strerror(error) + ")";
        throw WriteError(m_Name + ": " + reason);
    }

    std::ostream* m_Out;
    bool m_CrLf;
    std::string m_Name;
    std::array<char, 1 << 16> m_Buffer{};
    std::size_t m_Size = 0;
    std::uint64_t m_Flushed = 0;
};

// One station line before it is written. Dimensions and values in hundredths of a foot.
struct TStationLine {
    char Type = 'D';
    const TStation* Station = nullptr;
    std::array<std::int32_t, 4> Lrud{}; // left, up, down, right
    std::int64_t IValue = 0;
    std::string_view Flags;
    const TComment* Comment = nullptr;
    bool HasValue = false;
    std::int64_t Value = 0;
};

// The heading of a traverse and the level it drifts towards.
struct TWalk {
    int Azimuth = 0;
    std::int64_t TargetV = 0;
};

struct TShot {
    TPoint To;
    std::int64_t Length = 0; // thousandths of a foot
    bool Pitch = false;
};

// A loop found while a survey was drawn: names [First, First + Count) of the loop name list.
struct TLoopSpec {
    std::size_t First = 0;
    std::size_t Count = 0;
    bool HasValue = false;
    std::int64_t Value = 0; // hundredths
};

class TGenerator {
public:
    TGenerator(const TGenOptions& options, std::ostream* out, const std::string& name)
        : m_Options(options), m_Random(options.Seed), m_Out(out, options.LineEnd, name) {
        m_Reservoir.resize(kReservoirSize);
        m_SurveyStations.reserve(256);
        m_Main.reserve(256);
        m_LoopNames.reserve(256);
    }

    // The box of the Z line; the rehearsal pass finds it, the writing pass is given it.
    void SetOverallBox(const TBox& box) { m_ZBox = box; }
    const TBox& OverallBox() const { return m_Box; }

    void Run();
    TGenStats Stats() const;

private:
    static constexpr std::size_t kReservoirSize = 512;

    void WriteHeader();
    void GenerateSections();
    void GenerateSection(std::int64_t budget, bool named, std::int32_t index);
    void GenerateBlocks(std::int64_t budget, const TStation& entrance, const TStation* second);
    void GenerateSurvey(std::int64_t budget, const TStation& start, bool startIsNew);
    std::int64_t TraverseDraws(bool main, std::int64_t remaining);
    void MainTraverse(const TStation& start, std::int64_t draws);
    void BranchTraverse(std::int64_t draws);
    bool ClosingBranch(std::int64_t draws);
    void GenerateFeature(std::int64_t count);

    TStation NewStation(const TPoint& p) { return MakeStation(m_SurveyIndex, m_NextNumber++, p); }
    TShot NextShot(TWalk& walk, const TPoint& from);
    void Dimensions(std::array<std::int32_t, 4>& lrud, bool pitch);
    void Decorate(TStationLine& line);
    void StartLine(TStationLine& line, char type, const TStation& station, bool pitch);
    void Remember(const TStation& s);
    const TStation& PickRemembered();

    void EmitStation(const TStationLine& line);
    void EmitBox(char letter, const TBox& box);
    void EmitLoops();
    void EmitFixed(const TStation& s);

    const TGenOptions& m_Options;
    TRandom m_Random;
    TWriter m_Out;
    TGenStats m_Stats;
    TBox m_Box;   // every station written so far
    TBox m_ZBox;  // what the Z line says
    TBox m_Block; // the current survey or feature
    TPoint m_Base;
    std::int64_t m_SurveyIndex = 0; // surveys started; names their stations
    std::int64_t m_NextNumber = 1;  // next station number in the current survey
    std::int32_t m_Width = 500;     // passage size of the current survey, hundredths
    std::int32_t m_Height = 400;
    bool m_HiddenTraverse = false;
    std::int64_t m_TargetV = 0;        // the level the section's passages drift towards
    std::vector<TStation> m_Reservoir; // recent stations of the section, a ring
    std::size_t m_ReservoirCount = 0;
    std::size_t m_ReservoirNext = 0;
    std::vector<TStation> m_SurveyStations; // every station of the current survey
    std::vector<TStation> m_Main;           // the current survey's first traverse
    std::vector<TStation> m_LoopNames;
    std::vector<TLoopSpec> m_Loops;
};

void TGenerator::Run() {
    if (m_Options.Georeferenced) {
        const std::int64_t northing = m_Options.Southern ? m_Random.Range(6500000, 7800000)
                                                         : m_Random.Range(3300000, 4200000);
        m_Base = {MetresToMilliFeet(northing), MetresToMilliFeet(m_Random.Range(420000, 580000)),
                  m_Random.Range(3000, 7000) * kFoot};
    } else {
        m_Base = {m_Random.Range(0, 1000) * kFoot, m_Random.Range(0, 1000) * kFoot, 0};
    }
    WriteHeader();
    GenerateSections();
    if (m_Options.EndWithCtrlZ)
        m_Out.Char('\x1a');
    m_Out.Finish();
}

void TGenerator::WriteHeader() {
    if (!m_Out.Active())
        return;
    TBox box = m_ZBox;
    if (box.Empty())
        box.Add(m_Base);
    EmitBox('Z', box);
    if (!m_Options.Georeferenced)
        return;
    m_Out.Char('G');
    m_Out.Int(m_Options.Southern ? -m_Options.Zone : m_Options.Zone);
    m_Out.EndLine();
    m_Out.Char('O');
    if (!m_Options.Datum.empty())
        m_Out.Text(m_Options.Datum);
    else
        m_Out.Text(m_Options.Southern ? "WGS 1984" : "North American 1927");
    m_Out.EndLine();
}

void TGenerator::GenerateSections() {
    const std::int64_t total = std::max<std::int64_t>(0, m_Options.Stations);
    if (total == 0)
        return;
    const bool named = m_Options.Sections > 0;
    const std::int64_t count =
        named ? std::clamp<std::int64_t>(total / 10, 1, m_Options.Sections) : 1;
    for (std::int64_t s = 0; s < count; ++s) {
        const std::int64_t budget = total * (s + 1) / count - total * s / count;
        GenerateSection(budget, named, static_cast<std::int32_t>(s));
    }
}

// A section is a cave of its own: an entrance (fixed), perhaps a second fixed entrance, then
// surveys tied to each other and a few features.
void TGenerator::GenerateSection(std::int64_t budget, bool named, std::int32_t index) {
    const std::int64_t spread = 4000 * kFoot;
    const TPoint entrancePoint{m_Base.N + m_Random.Range(-spread, spread),
                               m_Base.E + m_Random.Range(-spread, spread),
                               m_Base.V + m_Random.Range(-300, 300) * kFoot};
    const TStation entrance = MakeStation(m_SurveyIndex, 1, entrancePoint);
    m_TargetV = entrancePoint.V - m_Random.Range(150, 600) * kFoot;
    const bool hasSecond = budget >= 60 && m_Random.Chance(400);
    TStation second;
    if (hasSecond) {
        const std::int64_t near = 1200 * kFoot;
        second = MakeStation(m_SurveyIndex + 1, 1,
                             {entrancePoint.N + m_Random.Range(-near, near),
                              entrancePoint.E + m_Random.Range(-near, near),
                              entrancePoint.V + m_Random.Range(-120, 120) * kFoot});
    }
    if (named) {
        ++m_Stats.Sections;
        if (m_Out.Active()) {
            m_Out.Char('S');
            if (static_cast<std::size_t>(index) < kSectionNames.size()) {
                m_Out.Text(kSectionNames[static_cast<std::size_t>(index)]);
            } else {
                m_Out.Text("Section ");
                m_Out.Int(index + 1);
            }
            m_Out.EndLine();
        }
        EmitFixed(entrance);
        if (hasSecond)
            EmitFixed(second);
    }
    GenerateBlocks(budget, entrance, hasSecond ? &second : nullptr);
}

void TGenerator::GenerateBlocks(std::int64_t budget, const TStation& entrance,
                                const TStation* second) {
    m_ReservoirCount = 0;
    m_ReservoirNext = 0;
    std::int64_t remaining = budget;
    for (int block = 0; remaining > 0; ++block) {
        if (block >= 2 && remaining >= 12 && m_Random.Chance(150)) {
            const std::int64_t count = m_Random.Range(2, std::min<std::int64_t>(8, remaining - 10));
            GenerateFeature(count);
            remaining -= count;
            continue;
        }
        std::int64_t size = m_Random.Range(20, 120);
        if (block == 0 && second)
            size = std::min(size, remaining - 10);
        if (remaining - size < 10)
            size = remaining;
        const bool fresh = block == 0 || (block == 1 && second);
        const TStation start = block == 0 ? entrance : (fresh ? *second : PickRemembered());
        GenerateSurvey(size, start, fresh);
        remaining -= size;
    }
}

void TGenerator::GenerateSurvey(std::int64_t budget, const TStation& start, bool startIsNew) {
    ++m_Stats.Surveys;
    m_NextNumber = 1;
    m_Width = static_cast<std::int32_t>(m_Random.Range(200, 1200));
    m_Height = static_cast<std::int32_t>(m_Random.Range(150, 1000));
    int year = static_cast<int>(m_Random.Range(1975, 2023));
    int month = static_cast<int>(m_Random.Range(1, 12));
    int day = static_cast<int>(m_Random.Range(1, DaysInMonth(month, year)));
    if (m_Random.Chance(30))
        year = month = day = 1; // undated, as some programs write it
    const bool commented = m_Random.Chance(800);
    const auto comment = kSurveyComments[static_cast<std::size_t>(
        m_Random.Range(0, static_cast<std::int64_t>(kSurveyComments.size()) - 1))];
    if (m_Out.Active()) {
        char name[16];
        m_Out.Char('N');
        m_Out.Text({name, Designation(m_SurveyIndex, name)});
        m_Out.Text(" D ");
        m_Out.Int(month);
        m_Out.Char(' ');
        m_Out.Int(day);
        m_Out.Char(' ');
        m_Out.Int(year);
        if (commented) {
            m_Out.Text(" C");
            m_Out.Text(comment);
        }
        m_Out.EndLine();
    }
    // A new start station (an entrance) is this survey's own station 1: numbering goes on after it.
    if (startIsNew)
        m_NextNumber = 2;

    m_Block = TBox();
    m_SurveyStations.clear();
    m_Main.clear();
    m_LoopNames.clear();
    m_Loops.clear();
    std::int64_t remaining = budget - 1;
    std::int64_t draws = TraverseDraws(true, remaining);
    MainTraverse(start, draws);
    remaining -= draws;
    while (remaining > 0) {
        --remaining;
        draws = TraverseDraws(false, remaining);
        if (!ClosingBranch(draws))
            BranchTraverse(draws);
        remaining -= draws;
    }
    EmitBox('X', m_Block);
    EmitLoops();
    ++m_SurveyIndex;
}

// Draws after a move line, leaving either nothing or room for another move and draw.
std::int64_t TGenerator::TraverseDraws(bool main, std::int64_t remaining) {
    if (remaining <= 0)
        return 0;
    std::int64_t draws = main ? std::max<std::int64_t>(1, remaining * m_Random.Range(45, 80) / 100)
                              : m_Random.Range(1, 12);
    draws = std::min(draws, remaining);
    if (remaining - draws == 1)
        ++draws;
    return draws;
}

void TGenerator::MainTraverse(const TStation& start, std::int64_t draws) {
    TStationLine line;
    StartLine(line, 'M', start, false);
    EmitStation(line);
    m_Main.push_back(start);
    m_SurveyStations.push_back(start);
    Remember(start);
    m_HiddenTraverse = false;
    TWalk walk{static_cast<int>(m_Random.Range(0, 359)), m_TargetV};
    TPoint at = start.P;
    for (std::int64_t i = 0; i < draws; ++i) {
        const TShot shot = NextShot(walk, at);
        const TStation s = NewStation(shot.To);
        StartLine(line, 'D', s, shot.Pitch);
        line.IValue = shot.Length / 10;
        EmitStation(line);
        m_Main.push_back(s);
        m_SurveyStations.push_back(s);
        Remember(s);
        at = shot.To;
    }
}

// A side passage from a station of this survey (or a recent one of another), going nowhere known.
void TGenerator::BranchTraverse(std::int64_t draws) {
    const bool local = m_Random.Chance(800);
    const TStation start = local ? m_SurveyStations[static_cast<std::size_t>(m_Random.Range(
                                       0, static_cast<std::int64_t>(m_SurveyStations.size()) - 1))]
                                 : PickRemembered();
    m_HiddenTraverse = m_Random.Chance(50); // e.g. a surface leg the program does not plot
    TStationLine line;
    StartLine(line, 'M', start, false);
    EmitStation(line);
    TWalk walk{static_cast<int>(m_Random.Range(0, 359)), m_TargetV};
    TPoint at = start.P;
    for (std::int64_t i = 0; i < draws; ++i) {
        const TShot shot = NextShot(walk, at);
        const TStation s = NewStation(shot.To);
        StartLine(line, 'D', s, shot.Pitch);
        line.IValue = shot.Length / 10;
        EmitStation(line);
        m_SurveyStations.push_back(s);
        Remember(s);
        at = shot.To;
    }
    m_HiddenTraverse = false;
}

// Sometimes a branch leaves the first traverse at station i and rejoins it at station j: the
// last shot ends on that known station, and the loop i, branch..., j, j-1, ..., i is recorded.
bool TGenerator::ClosingBranch(std::int64_t draws) {
    if (draws < 2 || m_Main.size() < 4 || !m_Random.Chance(350))
        return false;
    // The stations passed on the way back are about as many as the branch's new ones.
    const auto lastMain = static_cast<std::int64_t>(m_Main.size()) - 1;
    const std::int64_t span =
        std::min(lastMain, m_Random.Range(std::max<std::int64_t>(2, draws / 2),
                                          std::max<std::int64_t>(2, draws)));
    const std::int64_t i = m_Random.Range(0, lastMain - span);
    const std::int64_t j = i + span;
    const TStation from = m_Main[static_cast<std::size_t>(i)];
    const TStation to = m_Main[static_cast<std::size_t>(j)];
    TLoopSpec loop;
    loop.First = m_LoopNames.size();
    m_LoopNames.push_back(from);
    TStationLine line;
    StartLine(line, 'M', from, false);
    EmitStation(line);
    // The branch bows out sideways from the straight line between the two stations.
    const std::int64_t bow = m_Random.Range(-40, 40);
    const std::int64_t dn = to.P.N - from.P.N;
    const std::int64_t de = to.P.E - from.P.E;
    for (std::int64_t k = 1; k < draws; ++k) {
        const std::int64_t shape = bow * 4 * k * (draws - k) / (draws * draws); // percent
        const TPoint p{from.P.N + dn * k / draws - de * shape / 100,
                       from.P.E + de * k / draws + dn * shape / 100,
                       from.P.V + (to.P.V - from.P.V) * k / draws +
                           m_Random.Range(-2 * kFoot, 2 * kFoot)};
        const TStation s = NewStation(p);
        StartLine(line, 'D', s, false);
        line.IValue = (std::abs(dn) + std::abs(de)) / draws / 10;
        EmitStation(line);
        m_SurveyStations.push_back(s);
        Remember(s);
        m_LoopNames.push_back(s);
    }
    StartLine(line, 'D', to, false);
    line.IValue = (std::abs(dn) + std::abs(de)) / draws / 10;
    EmitStation(line);
    for (std::int64_t k = j; k >= i; --k)
        m_LoopNames.push_back(m_Main[static_cast<std::size_t>(k)]);
    loop.Count = m_LoopNames.size() - loop.First;
    loop.HasValue = m_Random.Chance(500);
    loop.Value = m_Random.Range(1, 250);
    m_Loops.push_back(loop);
    return true;
}

void TGenerator::GenerateFeature(std::int64_t count) {
    ++m_Stats.Features;
    const bool ranged = m_Random.Chance(500);
    const auto& rangedKind = kRangedFeatures[static_cast<std::size_t>(
        m_Random.Range(0, static_cast<std::int64_t>(kRangedFeatures.size()) - 1))];
    const auto plainKind = kFeatures[static_cast<std::size_t>(
        m_Random.Range(0, static_cast<std::int64_t>(kFeatures.size()) - 1))];
    if (ranged)
        ++m_Stats.RangedFeatures;
    if (m_Out.Active()) {
        m_Out.Char('F');
        m_Out.Text(ranged ? rangedKind.Name : plainKind);
        if (ranged) {
            m_Out.Text(" R ");
            m_Out.Fixed(rangedKind.Low, 2);
            m_Out.Char(' ');
            m_Out.Fixed(rangedKind.High, 2);
        }
        m_Out.EndLine();
    }
    m_Block = TBox();
    for (std::int64_t i = 0; i < count; ++i) {
        const TStation& at = PickRemembered();
        TStationLine line;
        line.Type = 'L';
        line.Station = &at;
        line.HasValue = ranged;
        line.Value = m_Random.Range(rangedKind.Low, rangedKind.High);
        EmitStation(line);
    }
    EmitBox('X', m_Block);
}

TShot TGenerator::NextShot(TWalk& walk, const TPoint& from) {
    TShot shot;
    int inclination = 0;
    const std::int64_t kind = m_Random.Range(0, 999);
    // Pitches and slopes mostly lead towards the level the cave drifts to, so big files stay
    // a few hundred feet deep.
    const int down = from.V > walk.TargetV ? 800 : 250;
    if (kind < 25) { // a plumbed pitch
        inclination = m_Random.Chance(down) ? -90 : 90;
        shot.Length = m_Random.Range(15 * kFoot, 120 * kFoot);
        shot.Pitch = true;
    } else if (kind < 65) { // a steep slope or climb
        inclination = static_cast<int>(m_Random.Range(55, 85)) * (m_Random.Chance(down) ? -1 : 1);
        shot.Length = m_Random.Range(5 * kFoot, 40 * kFoot);
        shot.Pitch = true;
    } else {
        walk.Azimuth += static_cast<int>(m_Random.Range(-25, 25));
        if (m_Random.Chance(50))
            walk.Azimuth += static_cast<int>(m_Random.Range(-90, 90));
        const auto bias = static_cast<int>(
            std::clamp<std::int64_t>((walk.TargetV - from.V) / (60 * kFoot), -4, 4));
        inclination = std::clamp(
            bias + static_cast<int>(m_Random.Range(-12, 12) + m_Random.Range(-6, 6)), -45, 45);
        shot.Length = m_Random.Range(3 * kFoot, 15 * kFoot) + m_Random.Range(0, 12 * kFoot);
        if (m_Random.Chance(80))
            shot.Length += m_Random.Range(0, 30 * kFoot);
    }
    walk.Azimuth = ((walk.Azimuth % 360) + 360) % 360;
    const std::int64_t horizontal = shot.Length * CosMicro(inclination) / kUnit;
    shot.To = {from.N + horizontal * CosMicro(walk.Azimuth) / kUnit,
               from.E + horizontal * SinMicro(walk.Azimuth) / kUnit,
               from.V + shot.Length * SinMicro(inclination) / kUnit};
    return shot;
}

// Left, up, down, right in hundredths of a foot: a few feet, sometimes missing.
void TGenerator::Dimensions(std::array<std::int32_t, 4>& lrud, bool pitch) {
    const std::int64_t width = m_Width * m_Random.Range(60, 140) / 100 * (pitch ? 2 : 1);
    const std::int64_t height = m_Height * m_Random.Range(60, 140) / 100 * (pitch ? 3 : 1);
    const std::int64_t left = width * m_Random.Range(25, 75) / 100;
    const std::int64_t up = height * m_Random.Range(40, 85) / 100;
    lrud = {static_cast<std::int32_t>(std::max<std::int64_t>(10, left)),
            static_cast<std::int32_t>(std::max<std::int64_t>(10, up)),
            static_cast<std::int32_t>(std::max<std::int64_t>(10, height - up)),
            static_cast<std::int32_t>(std::max<std::int64_t>(10, width - left))};
    if (m_Random.Chance(35)) { // not measured at all
        lrud.fill(kMissing[0]);
        return;
    }
    for (auto& value : lrud) {
        if (m_Random.Chance(25))
            value = kMissing[m_Random.Range(0, 2)];
    }
}

// Flags and a comment on some lines; hidden draws mostly carry the P flag.
void TGenerator::Decorate(TStationLine& line) {
    if (line.Type == 'd' && m_Random.Chance(700))
        line.Flags = "P";
    else if (m_Random.Chance(180))
        line.Flags = kFlags[static_cast<std::size_t>(
            m_Random.Range(0, static_cast<std::int64_t>(kFlags.size()) - 1))];
    if (m_Random.Chance(90))
        line.Comment = &kComments[static_cast<std::size_t>(
            m_Random.Range(0, static_cast<std::int64_t>(kComments.size()) - 1))];
}

void TGenerator::StartLine(TStationLine& line, char type, const TStation& station, bool pitch) {
    line = TStationLine();
    line.Type = type;
    if (type == 'D' && (m_HiddenTraverse || m_Random.Chance(15)))
        line.Type = 'd';
    line.Station = &station;
    Dimensions(line.Lrud, pitch);
    Decorate(line);
}

void TGenerator::Remember(const TStation& s) {
    m_Reservoir[m_ReservoirNext] = s;
    m_ReservoirNext = (m_ReservoirNext + 1) % kReservoirSize;
    m_ReservoirCount = std::min(m_ReservoirCount + 1, kReservoirSize);
}

const TStation& TGenerator::PickRemembered() {
    if (m_ReservoirCount == 0)
        throw std::logic_error("plot generator: no station to tie to");
    const auto i = m_Random.Range(0, static_cast<std::int64_t>(m_ReservoirCount) - 1);
    return m_Reservoir[static_cast<std::size_t>(i)];
}

void TGenerator::EmitStation(const TStationLine& line) {
    const TStation& s = *line.Station;
    m_Box.Add(s.P);
    m_Block.Add(s.P);
    ++m_Stats.StationLines;
    switch (line.Type) {
    case 'M':
        ++m_Stats.MoveLines;
        break;
    case 'D':
        ++m_Stats.DrawLines;
        break;
    case 'd':
        ++m_Stats.HiddenDraws;
        break;
    default:
        ++m_Stats.FeatureLines;
        m_Stats.ValueLines += line.HasValue ? 1 : 0;
        break;
    }
    if (line.Comment) {
        ++m_Stats.Comments;
        m_Stats.PMarks += line.Comment->PMark ? 1 : 0;
    }
    if (!m_Out.Active())
        return;
    m_Out.Char(line.Type);
    m_Out.Char(' ');
    m_Out.Fixed(s.P.N, 3);
    m_Out.Char(' ');
    m_Out.Fixed(s.P.E, 3);
    m_Out.Char(' ');
    m_Out.Fixed(s.P.V, 3);
    m_Out.Text(" S");
    m_Out.Text(s.View());
    m_Out.Text(" P");
    for (std::int32_t value : line.Lrud) {
        m_Out.Char(' ');
        m_Out.Fixed(value, 2);
    }
    if (line.Type == 'L') {
        if (line.HasValue) {
            m_Out.Text(" V ");
            m_Out.Fixed(line.Value, 2);
        }
        m_Out.EndLine();
        return;
    }
    m_Out.Text(" I ");
    m_Out.Fixed(line.IValue, 2);
    if (!line.Flags.empty() || line.Comment) {
        m_Out.Text(" F");
        m_Out.Text(line.Flags);
    }
    if (line.Comment) {
        m_Out.Text(" \"");
        m_Out.Text(line.Comment->Text);
        m_Out.Char('"');
    }
    m_Out.EndLine();
}

void TGenerator::EmitBox(char letter, const TBox& box) {
    if (!m_Out.Active())
        return;
    m_Out.Char(letter);
    const std::int64_t values[6] = {box.Lo().N, box.Hi().N, box.Lo().E,
                                    box.Hi().E, box.Lo().V, box.Hi().V};
    for (std::int64_t v : values) {
        m_Out.Char(' ');
        m_Out.Fixed(v, 3);
    }
    m_Out.EndLine();
}

void TGenerator::EmitLoops() {
    for (const TLoopSpec& loop : m_Loops) {
        ++m_Stats.Loops;
        m_Stats.LoopsWithValue += loop.HasValue ? 1 : 0;
        m_Stats.LoopEdges += static_cast<std::int64_t>(loop.Count) - 1;
        if (!m_Out.Active())
            continue;
        // The reference station, then the chain around the loop back to where it began.
        m_Out.Text("R ");
        m_Out.Int(static_cast<std::int64_t>(loop.Count) - 2);
        m_Out.Char(' ');
        m_Out.Text(m_LoopNames[loop.First].View());
        for (std::size_t k = 0; k < loop.Count; ++k) {
            m_Out.Char(' ');
            m_Out.Text(m_LoopNames[loop.First + k].View());
        }
        if (loop.HasValue) {
            m_Out.Text(" S ");
            m_Out.Fixed(loop.Value, 2);
        }
        m_Out.EndLine();
    }
}

void TGenerator::EmitFixed(const TStation& s) {
    ++m_Stats.FixedStations;
    m_Box.Add(s.P);
    if (!m_Out.Active())
        return;
    m_Out.Char('P');
    m_Out.Text(s.View());
    m_Out.Char(' ');
    m_Out.Fixed(s.P.N, 3);
    m_Out.Char(' ');
    m_Out.Fixed(s.P.E, 3);
    m_Out.Char(' ');
    m_Out.Fixed(s.P.V, 3);
    m_Out.EndLine();
}

TGenStats TGenerator::Stats() const {
    TGenStats stats = m_Stats;
    const TBox& box = m_ZBox.Empty() ? m_Box : m_ZBox;
    if (!box.Empty()) {
        stats.MinBounds = ToVector(box.Lo());
        stats.MaxBounds = ToVector(box.Hi());
    } else {
        stats.MinBounds = stats.MaxBounds = ToVector(m_Base);
    }
    stats.Bytes = m_Out.Bytes();
    return stats;
}

} // namespace

TGenStats GeneratePlotFile(std::ostream& out, const TGenOptions& options,
                           const std::string& outputName) {
    if (options.Georeferenced && (options.Zone < 1 || options.Zone > 60))
        throw std::invalid_argument("UTM zone must be 1 to 60");
    TGenerator rehearsal(options, nullptr, outputName);
    rehearsal.Run();
    TGenerator writer(options, &out, outputName);
    writer.SetOverallBox(rehearsal.OverallBox());
    writer.Run();
    if (!(writer.OverallBox() == rehearsal.OverallBox()))
        throw std::logic_error("plot generator: the two passes differ");
    return writer.Stats();
}

TGenStats GeneratePlotFile(const std::string& fileName, const TGenOptions& options) {
    platform::TSafeFile file(fileName);
    std::ofstream out(file.TempPath(), std::ios::binary | std::ios::trunc);
    if (!out)
        file.Fail(errno != 0 ? errno : EIO);
    const TGenStats stats = GeneratePlotFile(out, options, fileName);
    errno = 0;
    out.close();
    if (!out)
        file.Fail(errno != 0 ? errno : EIO);
    file.Commit();
    return stats;
}

} // namespace lumora::survey
