// Building the stock contour by its method.
#include "model/contour_builder_zagotovka.h"

#include "geometry/line_unit.h"
#include "model/rotation_contours.h"
#include "platform/busy_flag.h"
#include "platform/host_application.h"
#include "platform/host_error.h"

namespace zarvento {

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
    if (active && !fileName_.empty() && active->FilePath() == fileName_) {
        ShowBuilderMessage("Файл заготовки открыт в текущем окне");
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
            ShowBuilderMessage("Не удалось открыть файл заготовки");
        } else {
            if (doc->Type() == DocumentType::Part) {
                stockContour_ = BuildRotationContours(*doc);
                if (stockContour_ && stockContour_->Empty()) stockContour_.reset();
                if (!stockContour_) ShowBuilderMessage("Не удалось распознать контур заготовки");
            } else {
                ShowBuilderMessage("Файл заготовки не является деталью VOVUVE");
            }
            if (opened) app->Documents().Close(doc);
            if (active && app->Documents().Contains(active)) app->SetActiveDocument(active);
        }
    }
    return stockContour_ ? stockContour_->Clone() : nullptr;
}

}  // namespace zarvento
