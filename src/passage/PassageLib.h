// Passage wall generation: rounds each traverse, strings cross-section rings into wall polygons
// and hands them to the caller's output procedures.
#pragma once

#include "passage/CrossSection.h"
#include "survey/PlotArray.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>

namespace lumora::passage {

// A non-owning reference to something callable (a lambda, a function object): two pointers,
// no allocation, one indirect call. Empty when default-built or built from nullptr. The callable
// must outlive the reference; passing a lambda straight to a call is fine.
template <class Signature> class TProcRef;

template <class R, class... Args> class TProcRef<R(Args...)> {
public:
    TProcRef() = default;
    TProcRef(std::nullptr_t) {} // NOLINT: implicit by design
    template <class F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, TProcRef> &&
             std::is_invocable_r_v<R, F&, Args...>) TProcRef(F&& f) // NOLINT: implicit by design
        : m_Object(const_cast<void*>(static_cast<const void*>(std::addressof(f)))),
          m_Call([](void* object, Args... args) -> R {
              return (*static_cast<std::remove_reference_t<F>*>(object))(
                  std::forward<Args>(args)...);
          }) {}

    explicit operator bool() const { return m_Call != nullptr; }
    R operator()(Args... args) const { return m_Call(m_Object, std::forward<Args>(args)...); }

private:
    void* m_Object = nullptr;
    R (*m_Call)(void*, Args...) = nullptr;
};

// One wall quadrilateral (x east, y north, z up, after the station adjustments). For corner k of
// a ring of c corners and k' = (k + 1) mod c: P0 start corner k, P1 end corner k, P2 end corner
// k', P3 start corner k'.
using TWallQuadProc = TProcRef<void(const T3DVector& p0, const T3DVector& p1, const T3DVector& p2,
                                    const T3DVector& p3)>;
// One end-cap triangle: the ring's centre and corners k and k'. isStart is true for the ring at
// the beginning of a traverse; the receiver orders the points so that both caps face outwards.
using TEndCapProc =
    TProcRef<void(const T3DVector& centre, const T3DVector& a, const T3DVector& b, bool isStart)>;
// Called after every 50th survey with the polygons so far and the percentage of surveys done.
using TPassageProgressProc = TProcRef<void(std::int64_t polygonCount, std::int32_t percent)>;

// The state of a passage run, readable by the output procedures and the user interface.
struct TPassageRunState {
    std::int32_t CurrentSurvey = 0; // index in Surveys of the survey being processed
    bool AbortPassages = false;     // set by anyone to end the run at its next check
    std::int64_t PolygonCount = 0;  // polygons produced so far (a ring of c corners adds c)
};

// The run state of the process's passage runs.
TPassageRunState& PassageRunState();

// Turn at b of the legs a -> b -> c in degrees: 0 straight on (or a zero-length leg), 180 back.
double TurnAngle(const T3DVector& a, const T3DVector& b, const T3DVector& c);

// The point that replaces corner b on its incoming leg from p: a copy of b moved back towards p
// by the wider of b's Left and Right, or by half the leg when that is 0 or longer.
TStation BeforePoint(const TStation& p, const TStation& b);
// The point that replaces corner b on its outgoing leg to n: a copy of b moved towards n by the
// wider of n's Left and Right, or by half the leg when that is 0 or longer.
TStation AfterPoint(const TStation& b, const TStation& n);

// One rounding pass: every station whose legs turn by more than options.CornerThreshold is
// replaced by its before- and after-point; the station following a cut is examined next, with
// the after-point as its predecessor. A station that is a move, or is followed by one, lies
// between runs and is never cut. Works on positions as loaded (no adjustments). scratch is
// working room the caller may reuse between calls.
void RoundingPass(TStationList& list, const TPassageOptions& options, TStationList& scratch);
// options.RoundDepth passes.
void RoundTraverse(TStationList& list, const TPassageOptions& options, TStationList& scratch);

// The tube of one shot: the rings of stations i and i + 1, both in the frame of that shot.
struct PassageSegment {
    bool Valid = false; // false when there is no shot (i out of range, or station i+1 a move)
    CrossSection StartRing;
    CrossSection EndRing;
};

PassageSegment BuildSegment(const TStationList& list, std::ptrdiff_t i,
                            const TPassageOptions& options, const TStationAdjust& adjust);

// Produces the passage polygons of every survey (features are skipped) of data, section by
// section: walls of every shot, caps at the ends of each run when options.SealEnds and an
// end-cap procedure is given, progress after every 50th survey. A run is a traverse, or the part
// of one between left-out hidden shots (see LoadTraverse). Resets state.PolygonCount and
// state.AbortPassages first, and stops at the first check (before each section, survey and
// traverse) that finds state.AbortPassages set. Throws lumora::Error "No output procedure
// assigned." at the first survey when wallQuad is empty; exceptions of the procedures pass
// through. Polygons produced before a throw stay with their receivers.
void GeneratePassages(const survey::TPlotData& data, const TPassageOptions& options,
                      TPassageRunState& state, TEndCapProc endCap, TWallQuadProc wallQuad,
                      TPassageProgressProc progress);

// The same on the process's survey model, passage options and run state.
void GeneratePassages(TEndCapProc endCap, TWallQuadProc wallQuad, TPassageProgressProc progress);

struct TMeshEstimate {
    std::int64_t Vertices = 0;
    std::int64_t Normals = 0;
    std::int64_t Faces = 0;
};

// The mesh size a file with drawCount draw records and endCount traverse ends (twice its move
// records) may need, with every shot's walls and every end's cap, after options.RoundDepth
// passes that may each double the shots.
TMeshEstimate EstimatePassageMesh(std::int64_t drawCount, std::int64_t endCount,
                                  const TPassageOptions& options);

// The plan outline of the shot a -> b (stations already cleaned and filled): a's left and right
// points, then b's, each at its own station's height. No adjustment is applied.
using TOutline = std::array<T3DVector, 4>;
TOutline ShotOutline(const survey::TPlotRecord& a, const survey::TPlotRecord& b);
TOutline ShotOutline(const TStation& a, const TStation& b);

// Lets two consecutive outlines share their edge at the common station: prev's points 2 and 3
// and next's points 0 and 1 become their midpoints.
void MergeOutlines(TOutline& prev, TOutline& next);

// Widens the box min..max by margin on every axis (feet).
void WidenBounds(T3DVector& minBounds, T3DVector& maxBounds, double margin);
// Multiplies both corners of the box by the feet-to-metres factor.
void BoundsToMeters(T3DVector& minBounds, T3DVector& maxBounds,
                    double feetToMeters = survey::FeetToMeters());

} // namespace lumora::passage
