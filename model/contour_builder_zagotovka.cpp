// Building the stock contour by its method.
#include "model/contour_builder_zagotovka.h"

#include "geometry/line_unit.h"
#include "model/rotation_contours.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_error.h"
#include "platform/documents/host_application.h"
#include "platform/processes/host_procedures.h"

namespace zarvento {

namespace {

// Closes a stock document the builder opened (unsaved) and makes the noted
// document active again, on every way out.
class StockDocumentScope {
public:
    StockDocumentScope(HostApplication& app, HostDocumentPtr opened, HostDocumentPtr active)
        : app_(app), opened_(std::move(opened)), active_(std::move(active)) {}
    StockDocumentScope(const StockDocumentScope&) = delete;
    StockDocumentScope& operator=(const StockDocumentScope&) = delete;
    ~StockDocumentScope() {
        try {
            if (opened_) app_.Documents().Close(opened_);
            if (active_ && app_.Documents().Contains(active_)) app_.SetActiveDocument(active_);
        } catch (const HostError&) {
            // A destructor must not throw; the next command takes its document afresh.
        }
    }

private:
    HostApplication& app_;
    HostDocumentPtr opened_, active_;
};

}  // namespace

CContourBuilderZagotovka::~CContourBuilderZagotovka() = default;

std::unique_ptr<Contour> CContourBuilderZagotovka::CreateContourFromFaces() {
    std::unique_ptr<Contour> contour = CContourBuilder::CreateContourFromFaces();
    if (contour) CloseToAxis(*contour);
    return contour;
}

std::unique_ptr<Contour> CContourBuilderZagotovka::CreateContourFromSketch() {
    std::unique_ptr<Contour> contour = CContourBuilder::CreateContourFromSketch();
    if (contour)
        for (int i = 0; i < contour->Count(); ++i) contour->GetUnit(i)->IsRapid = false;
    return contour;
}

std::unique_ptr<Contour> CContourBuilderZagotovka::Build() {
    switch (buildMethod) {
        case kFromSketch: return CreateContourFromSketch();
        case kFromFaces: return CreateContourFromFaces();
        case kFromFile: return CreateContourFromFile();
        case kBar: return CreateBarContour();
        default: return nullptr;
    }
}

std::unique_ptr<Contour> CContourBuilderZagotovka::CreateBarContour() const {
    const double R = barDiameter / 2.0;
    const double r = barInnerDiameter / 2.0;
    if (r > R - 0.1) return nullptr;
    const double Z = barZ, L = barLength;
    auto contour = std::make_unique<Contour>();
    contour->AddUnit(std::make_unique<CLineUnit>(Z - L, -r, Z, -r));
    contour->AddUnit(std::make_unique<CLineUnit>(Z, -r, Z, -R));
    contour->AddUnit(std::make_unique<CLineUnit>(Z, -R, Z - L, -R));
    contour->AddUnit(std::make_unique<CLineUnit>(Z - L, -R, Z - L, -r));
    return contour;
}

std::unique_ptr<Contour> CContourBuilderZagotovka::CreateContourFromFile() {
    HostApplication* app = HostApplicationObject();
    const HostDocumentPtr active = app ? app->ActiveDocumentOrNull() : nullptr;
    // The document of the current window is not opened a second time.
    if (active && active->FilePath() == fileName_) {
        ShowBuilderMessage("Файл заготовки открыт в текущем окне");
        return nullptr;
    }
    // The kept contour is reused; without a file there is nothing to read.
    if (!stockContour_ && !fileName_.empty() && app) {
        BusyFlagGuard busy;
        HostDocumentPtr doc = app->Documents().FindByPath(fileName_);
        bool opened = false;
        if (!doc) {
            try {
                doc = app->Documents().Open(fileName_, false);
                opened = doc != nullptr;
            } catch (const HostError&) {
                doc = nullptr;
            }
        }
        if (!doc) {
            ShowBuilderMessage("Не удалось открыть файл заготовки");
        } else {
            // On every way out a document opened here is closed unsaved and
            // the noted one is active again.
            StockDocumentScope restore(*app, opened ? doc : nullptr, active);
            if (doc->Type() == DocumentType::Part) {
                stockContour_ = BuildRotationContours(doc);
                if (stockContour_ && stockContour_->Empty()) stockContour_.reset();
                if (!stockContour_) ShowBuilderMessage("Не удалось распознать контур заготовки");
            } else {
                ShowBuilderMessage("Файл заготовки не является деталью VOVUVE");
            }
        }
    }
    // The host's call that ends a library command.
    HostPostCommand();
    return stockContour_ ? stockContour_->Clone() : nullptr;
}

}  // namespace zarvento
