// CTurnTHREADING: the operation of thread cutting with a chisel: its defaults,
// its stored values, and its path as thread passes or as the machine cycle.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/contour_builder_threading.h"
#include "nc/cycle_g300el.h"
#include "operations/kind_support.h"
#include "operations/turn.h"
#include "platform/core/host_object.h"

namespace zarvento {

// The host object type of a thread designation on the part.
inline constexpr int kThreadDesignationType = 58;

struct ThreadRun;

// The roughing depths of one thread start, each a signed step along the
// depth direction, in cutting order.
struct ThreadPassPlan {
    std::vector<double> depths;
    bool tooMany = false;  // the law would need more than kMaxThreadPasses passes
};

// A point of the turning plane (z, x) with the little vector algebra the
// thread line needs.
struct ThreadPoint {
    double z = 0.0;
    double x = 0.0;
};
inline ThreadPoint operator+(ThreadPoint a, ThreadPoint b) { return {a.z + b.z, a.x + b.x}; }
inline ThreadPoint operator-(ThreadPoint a, ThreadPoint b) { return {a.z - b.z, a.x - b.x}; }
inline ThreadPoint operator*(ThreadPoint a, double k) { return {a.z * k, a.x * k}; }

// The thread line as it is cut: from the start S to the end E, prolonged by
// the approach length before S and the overrun length past E.
struct ThreadLine {
    bool reversed = false;   // cut from the unit's end towards its start
    double sigma = 1.0;      // -1 when reversed: the side depths and retracts go to
    ThreadPoint start, end;  // the prolonged line
    double length = 0.0;
    double q = 0.0;    // the Z share of the direction end -> start
    ThreadPoint back;  // unit vector end -> start
    // The sign of the X offsets that take the tool deeper, as the passes
    // offset it (sigma times the sign of q): +1 towards the axis for an
    // outer thread, -1 away from it for an inner one, whatever the hand.
    double deeper = 1.0;
};

// False when the line or its prolongation has no length to cut along.
bool ExtendThreadLine(const CUnit& unit, bool leftHand, double approach, double overrun, ThreadLine& out);

// Passes per thread start beyond which a plan is refused: a first-pass depth
// far below the thread depth would otherwise build passes without end.
inline constexpr int kMaxThreadPasses = kMaxPasses;

// The roughing passes for the depth D (signed, finishing depth taken off)
// and the first-pass depth I (same sign): equal steps of D / ceil(D / I), or
// with `constantArea` steps falling as 1 / sqrt(k + 1) with the least count
// whose weights reach D / I. No passes when D / I is not above 0.
ThreadPassPlan PlanThreadPasses(double depth, double firstDepth, bool constantArea);

// The flank-infeed shift after roughing pass k of n, as a signed length
// along the line (positive towards the start): tan 30° · t before the last
// two passes, tan 15° · t before the last one, none after it; passes taken
// alternately from each flank.
double FlankInfeedShift(int k, int n, double t);

class CTurnTHREADING : public virtual CTurn {
public:
    static constexpr const char* kNoDepth = "Не задана глубина резания";
    static constexpr const char* kTooManyPasses =
        "Слишком много проходов: глубина резания на первом проходе мала для глубины резьбы";
    static constexpr const char* kNegativeFinish = "Глубина чистового прохода не должна быть отрицательной";
    static constexpr const char* kNegativeRetract =
        "Безопасное расстояние для отвода резца не должно быть отрицательным";
    static constexpr const char* kZeroLine = "Линия резьбы имеет нулевую длину";
    // Passes that stop and restart the spindle each begin at another angle of
    // it on an ISO control, so without the code no helix is cut twice.
    static constexpr const char* kNoSyncCode =
        "Не задан код синхронизации с нулем шпинделя в постпроцессоре: проходы резьбы не попадут в один виток. "
        "Задайте код CODE_SYNCHRON_NULLSPINDEL в постпроцессоре или выберите синхронизацию через остановку "
        "шпинделя.";
    static constexpr const char* kLostDesignation = "Потеряна связь с обозначением резьбы";
    static constexpr const char* kCylinderRefused = "Нельзя нарезать цилиндрическую резьбу циклом ";
    static constexpr const char* kFaceRefused = "Нельзя нарезать торцовую резьбу циклом ";
    static constexpr const char* kConeRefused = "Нельзя нарезать коническую резьбу циклом ";
    // The run-out and the approach are the operation's own lengths; where the
    // part leaves them no room (a relief shorter than the run-out, a shoulder
    // in the way) the thread is not cut, and the message says how far the
    // nose would reach into the part and what length fits.
    static constexpr const char* kRunOutIntoPart = "Перебег резьбы не помещается в канавку: резец заходит в деталь на ";
    static constexpr const char* kApproachIntoPart = "Подвод резьбы не помещается: резец заходит в деталь на ";
    static constexpr const char* kLongestRunOut = "Наибольший перебег ";
    static constexpr const char* kLongestApproach = "Наибольший подвод ";

    CTurnTHREADING();
    ~CTurnTHREADING() override;
    CTurnTHREADING(const CTurnTHREADING&) = delete;
    // The base settings, the thread values, the designation link and the cycle.
    CTurnTHREADING& operator=(const CTurnTHREADING& other);

    // The thread depth for the pitch: 17/24 of the fundamental triangle's
    // height, to the nearest thousandth (an exact half going down).
    double CalcProfileDepth() const;
    // A metric thread's depth follows its pitch: however the pitch was set
    // (the panel, a script, a stored record), Depth is the profile depth.
    void ApplyAutoDepth() {
        if (isAutoDepth) Depth = CalcProfileDepth();
    }

    void SetupTool() override;
    bool CreateContourPath() override;
    void GetCycleVariables(std::string& text) override;
    void SaveCycleParameters(StorageRecord& record) override;
    CCycle_Auto* PanelCycle() override { return &cycle; }
    void LoadCycleParameters(StorageRecord& record) override;

    // The kind's own values, after the base's in the operation's record.
    bool SaveKindValues(StorageRecord& record) override;
    bool LoadKindValues(StorageRecord& record) override;

    // The path in elementary moves and as the post-processor's cycle.
    void CreateThreadPasses();
    void CreateThreadCycle();

    CCycle_G300EL& Cycle() { return cycle; }
    const CCycle_G300EL& Cycle() const { return cycle; }
    // The working contour's builder; its flag follows isModel, since a thread
    // taken from the part's designation is no picked line.
    CContourBuilderThreading& ThreadBuilder();

    HostObjectPtr Obj7;  // the part's thread designation the thread was taken from
    bool isModel = false;
    double Step = 1.5;  // pitch, mm
    bool isAutoStep = true;
    std::int32_t Nzahod = 1;  // thread starts
    double Depth = 2.0;       // profile depth, mm
    bool isAutoDepth = true;
    double dZ0rep = 0.0;    // Z shift before the first repetition
    std::int32_t Nrep = 1;  // repetitions of the whole thread
    double dZrep = 0.0;     // Z step between repetitions

private:
    // Whether the part leaves the approach and the run-out of every start and
    // repetition room for the tool's nose; a warning when it does not.
    bool ThreadHasRoom();
    // Evaluates the cycle and reads the values of a run of thread passes;
    // false, with the operation's message, when they are refused.
    bool PrepareThreadRun(ThreadRun& run);

    CCycle_G300EL cycle;
    // The current region and its paired contour while the path is built: the
    // thread line (moved along Z by the repetitions) and the stock.
    Contour* threadContour_ = nullptr;
    Contour* pairedThread_ = nullptr;
};

}  // namespace zarvento
