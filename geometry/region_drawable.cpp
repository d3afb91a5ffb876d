// The recording region drawable of the headless host.
#include "geometry/region_drawable.h"

#include "platform/view/view_3d_log.h"

namespace zarvento {

namespace {

class RecordingRegionDrawable : public RegionDrawable {
public:
    void CreateRegion(const IntersectPointList& points, std::uint32_t colour) override {
        View3DLog& log = View3DLog::Instance();
        if (item_ == 0) item_ = log.NewItem();
        View3DEntry entry;
        entry.item = item_;
        entry.action = "CreateRegion";
        entry.colour = colour;
        for (const IntersectPoint& p : points) {
            entry.args.push_back(p.z);
            entry.args.push_back(p.x);
            entry.args.push_back(p.index1);
        }
        log.Record(std::move(entry));
    }
    void Hide() override {
        if (item_ != 0) View3DLog::Instance().Record({item_, "Hide", {}, 0, 0});
    }

private:
    int item_ = 0;
};

}  // namespace

std::unique_ptr<RegionDrawable> CreateRecordingRegionDrawable() { return std::make_unique<RecordingRegionDrawable>(); }

namespace {
RegionDrawableMaker registeredMaker = nullptr;
}  // namespace

void SetRegionDrawableMaker(RegionDrawableMaker maker) { registeredMaker = maker; }

std::unique_ptr<RegionDrawable> CreateRegionDrawable() {
    return registeredMaker != nullptr ? registeredMaker() : CreateRecordingRegionDrawable();
}

}  // namespace zarvento
