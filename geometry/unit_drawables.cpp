// The drawable factory switch and the recording drawables of the headless view.
#include "geometry/unit_drawables.h"

#include <string>
#include <utility>
#include <vector>

#include "platform/core/registration.h"
#include "platform/view/view_3d_log.h"

namespace zarvento {

namespace {

Registration<UnitDrawableFactory> registration;

// One item of the recording view. Its number is taken at the first call, so a
// drawable that never draws leaves no trace.
class RecordingItem {
public:
    void Record(const char* action, std::vector<double> args, std::uint32_t colour) {
        if (item_ == 0) item_ = View3DLog::Instance().NewItem();
        View3DLog::Instance().Record({item_, action, std::move(args), colour, kind_});
    }
    // Erase, Show and Hide of a drawable that never drew do nothing.
    void RecordState(const char* action) {
        if (item_ != 0) View3DLog::Instance().Record({item_, action, {}, 0, kind_});
    }
    int kind_ = 0;

private:
    int item_ = 0;
};

class RecordingEdge final : public UnitEdgeDrawable {
public:
    void SetKind(int kind) override { item_.kind_ = kind; }
    void CreateLine(double z1, double x1, double z2, double x2, std::uint32_t colour) override {
        item_.Record("CreateLine", {z1, x1, z2, x2}, colour);
    }
    void CreatePolyline(const IntersectPointList& points, std::uint32_t colour) override {
        std::vector<double> args;
        args.reserve(points.Count() * 2);
        for (const auto& p : points) {
            args.push_back(p.z);
            args.push_back(p.x);
        }
        item_.Record("CreatePolyline", std::move(args), colour);
    }
    void Erase() override { item_.RecordState("Erase"); }
    void Show() override { item_.RecordState("Show"); }
    void Hide() override { item_.RecordState("Hide"); }

private:
    RecordingItem item_;
};

class RecordingFace final : public UnitFaceDrawable {
public:
    void CreateRevolvedLine(double z1, double x1, double z2, double x2, std::uint32_t colour, double extra1,
                            double extra2) override {
        item_.Record("CreateRevolvedLine", {z1, x1, z2, x2, extra1, extra2}, colour);
    }
    void CreateRevolvedArc(double zc, double xc, double radius, double z1, double x1, double z2, double x2, int sense,
                           std::uint32_t colour) override {
        item_.Record("CreateRevolvedArc", {zc, xc, radius, z1, x1, z2, x2, static_cast<double>(sense)}, colour);
    }
    void Erase() override { item_.RecordState("Erase"); }
    void Show() override { item_.RecordState("Show"); }
    void Hide() override { item_.RecordState("Hide"); }

private:
    RecordingItem item_;
};

}  // namespace

void SetUnitDrawableFactory(UnitDrawableFactory* factory) { registration.Register(factory); }

// A factory that cannot make a drawable leaves the recording one in its place,
// so that a unit always has something to draw with.
std::unique_ptr<UnitEdgeDrawable> CreateUnitEdge() {
    if (UnitDrawableFactory* registered = registration.Get())
        if (auto edge = registered->CreateEdge()) return edge;
    return std::make_unique<RecordingEdge>();
}

std::unique_ptr<UnitFaceDrawable> CreateUnitFace() {
    if (UnitDrawableFactory* registered = registration.Get())
        if (auto face = registered->CreateFace()) return face;
    return std::make_unique<RecordingFace>();
}

}  // namespace zarvento
