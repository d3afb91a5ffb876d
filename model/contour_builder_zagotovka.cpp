// Building the stock contour by its method.
#include "model/contour_builder_zagotovka.h"

#include "geometry/line_unit.h"
#include "platform/busy_flag.h"
#include "platform/host_error.h"
#include "platform/host_application.h"
#include "platform/messages.h"
#include "model/rotation_contours.h"

namespace zarvento {

namespace {
constexpr const char* kCaption = "Orbisel";
}

std::unique_ptr<Contour> CContourBuilderZagotovka::Build() {
    switch (buildMethod) {
        case kBar: return CreateBarContour();
        case kFromFile: return CreateContourFromFile();
        // Sketches and chosen faces come with the part model's contour reading.
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
    if (active && !fileName_.empty() && active->FilePath() == fileName_) {
        HostMessageBox("Файл заготовки открыт в текущем окне", kCaption, MB_OK_);
        return nullptr;
    }
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
            HostMessageBox("Не удалось открыть файл заготовки", kCaption, MB_OK_);
        } else {
            if (doc->Type() == DocumentType::Part) {
                stockContour_ = BuildRotationContours(*doc);
                if (stockContour_ && stockContour_->Empty()) stockContour_.reset();
                if (!stockContour_) HostMessageBox("Не удалось распознать контур заготовки", kCaption, MB_OK_);
            } else {
                HostMessageBox("Файл заготовки не является деталью VOVUVE", kCaption, MB_OK_);
            }
            if (opened) app->Documents().Close(doc);
            if (active && app->Documents().Contains(active)) app->SetActiveDocument(active);
        }
    }
    return stockContour_ ? stockContour_->Clone() : nullptr;
}

}  // namespace zarvento
