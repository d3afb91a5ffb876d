// CContourBuilder: turns the user's choice (units of the part contour picked
// as faces, or a sketch) into an operation's working contour, closed onto the
// stock contour. The subclasses build the stock, hole, groove, cut-off,
// tap/die and threading contours.
#pragma once

#include <memory>
#include <vector>

#include "geometry/contour.h"
#include "platform/core/host_object.h"
#include "platform/core/variant.h"
#include "platform/drawings/host_sketch.h"

namespace zarvento {

// A control of the owner's panel that a builder shows its results in. The
// panels implement it; a builder only sets values and enables.
class BuilderControl {
public:
    virtual ~BuilderControl() = default;
    virtual void SetValue(const Variant& value) = 0;
    virtual void SetEnabled(bool enabled) = 0;
};

// Gap join types live in CGapUnit; the extension modes of the two ends:
inline constexpr int kExtendAuto = 0;
inline constexpr int kExtendPlusZ = 1;
inline constexpr int kExtendPlusX = 2;
inline constexpr int kExtendMinusZ = 3;
inline constexpr int kExtendMinusX = 4;
inline constexpr int kExtendAtAngle = 5;

// Length of the probe line an end is prolonged along before it is cut at the stock.
inline constexpr double kExtensionProbe = 100000.0;

inline constexpr const char* kBuilderCaption = "Orbisel";
inline constexpr int kBuilderMessageStyle = 0x30;  // exclamation
inline constexpr const char* kOpenContourMessage = "Рабочий контур должен быть разомкнутым";
inline constexpr const char* kSketchPlaneMessage =
    "Зскиз должен лежать в плоскости ZX локальной системы кооординат ЧПУ";
inline constexpr const char* kSketchHalfPlaneMessage =
    "Зскиз должен лежать в полуплоскости XOZ ЛСК с положительным направлением оси X.\n"
    "Все координаты X контура должны быть >=0";
inline constexpr const char* kSketchSelfIntersectionMessage = "Контур в эскизе не должен самопересекаться";

// The host application's message box with the builders' caption.
void ShowBuilderMessage(const char* text);

class CContourBuilder {
public:
    // Build methods of every builder (the stock builder has two more).
    static constexpr int kFromSketch = 0;
    static constexpr int kFromFaces = 1;

    CContourBuilder() = default;
    CContourBuilder(const CContourBuilder&) = delete;
    CContourBuilder& operator=(const CContourBuilder&) = delete;
    // Owners keep builders through the base: the destructor is virtual.
    virtual ~CContourBuilder();

    // Toggles the highlight of the part-contour unit made from the object;
    // several units may be chosen.
    virtual void HighlightUnit(const HostObjectPtr& object);
    // Whether a unit of the part contour holds the object.
    virtual bool HasUnitForObject(const HostObjectPtr& object) const;
    // Whether the object is of the kind the user picks (a face).
    virtual bool IsObjectAccepted(const HostObjectPtr& object) const;
    // One continuous contour of the chosen units, offset and joined by gap
    // units; null when nothing is chosen. The join type of each pair is kept
    // in the part contour's relation matrix.
    virtual std::unique_ptr<Contour> CreateContourFromFaces();
    // The sketch's curves ordered into one chain; null (with a message for a
    // sketch off the NC ZX plane or crossing itself) when there is none.
    virtual std::unique_ptr<Contour> CreateContourFromSketch();
    // The builder's contour by its method; the caller owns it.
    virtual std::unique_ptr<Contour> Build();

    // Prolongs the ends lying inside the source (null: the builder's source
    // contour) until they meet it; works in place and returns the contour.
    std::unique_ptr<Contour> CloseContourToSource(std::unique_ptr<Contour> contour, const Contour* source,
                                                  bool extendStart, bool extendEnd);
    // Closes a profile down to the axis and along it; a closed one is left alone.
    static void CloseToAxis(Contour& contour);
    // Orders units into one chain from the first: units joining its start
    // (turned where needed) go before it, units joining its end after it;
    // units off the chain are dropped. Runs in time linear in the unit count
    // for units whose ends are spread out.
    static std::unique_ptr<Contour> ChainSketchUnits(const Contour& units);

    int buildMethod = kFromFaces;
    // Sketch curves of line styles 1 and 3 are read, with no checks after reading.
    bool secondLoadingMode = false;
    // The contour whose units the user picks; its selection flags and
    // relation matrix hold the choice. Not owned.
    Contour* partContour = nullptr;
    std::shared_ptr<HostSketch> sketch;
    bool reverseFlag = false;
    // Carried for the owners; the builder's own operations do not read it.
    double accuracy = 0.01;
    // The operation's approximation step of spline curves (StepBezieW or
    // StepBezieS of its channel). Carried for the owners: a sketch comes as
    // lines and arcs, approximated by the settings' accuracy.
    double stepBezie = 1.0;
    // A sketch contour must lie at X >= 0 and is closed down to the axis
    // and oriented.
    bool halfPlaneCheck = false;
    // Carried for the owners; the builder's own operations do not read it.
    bool spareFlag = false;
    // Offset every chosen unit by PripuskZ instead of its own offset.
    bool isPripuskZ = false;
    double PripuskZ = 0.0;
    // The stock contour working contours are closed onto. Not owned.
    const Contour* sourceContour = nullptr;
    int startMode = kExtendAuto;
    int endMode = kExtendAuto;
    double startAngle = 0.0;  // degrees, for kExtendAtAngle
    double endAngle = 0.0;
    // Controls of the owner's panel; may be null. Not owned.
    BuilderControl* startGroupControl = nullptr;
    BuilderControl* endGroupControl = nullptr;
    BuilderControl* startAngleControl = nullptr;
    BuilderControl* endAngleControl = nullptr;

protected:
    // The single-choice pick: the found unit becomes the only chosen one, or
    // nothing stays chosen when it was chosen already. With linesOnly a pick
    // of any other unit kind changes nothing.
    void HighlightSingle(const HostObjectPtr& object, bool linesOnly);
    // The contour from faces or from the sketch by the build method.
    std::unique_ptr<Contour> ContourByMethod();

private:
    // Prolongs one end of a non-empty contour whose end lies inside the source.
    void ExtendEnd(Contour& contour, const Contour& source, bool atStart);
};

}  // namespace zarvento
