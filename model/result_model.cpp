// The 3D model of the machined part: the document, "LSC.txt", the sketch of
// the section, the rotation that makes or cuts the body, colours and saving.
#include "model/result_model.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "geometry/subtract_region.h"
#include "model/contour_builder_zagotovka.h"
#include "platform/core/host_error.h"
#include "platform/core/messages.h"
#include "platform/core/text_file.h"
#include "platform/documents/hidden_document.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_documents.h"
#include "platform/documents/settings_record.h"
#include "platform/drawings/host_sketch.h"
#include "platform/drawings/local_coordinate_system.h"
#include "platform/part_model.h"
#include "platform/rotation_operation.h"

namespace zarvento {

namespace {

constexpr int kWarning = 0x30;
constexpr const char* kSketchName = "Сечение результата";

// Closes the result's document unsaved unless it was saved: a model the
// function could not finish never stays open, invisible, in the host; the
// copy of the stock model made for it goes too.
class UnsavedDocument {
public:
    UnsavedDocument(HostApplication& app, HostDocumentPtr doc, std::string copy)
        : app_(app), doc_(std::move(doc)), copy_(std::move(copy)) {}
    ~UnsavedDocument() {
        if (!doc_) return;
        try {
            app_.Documents().Close(doc_);
        } catch (...) {
            // Already failing: the error on its way out is the one to report.
        }
        std::error_code ignored;
        if (!copy_.empty()) std::filesystem::remove(copy_, ignored);
    }
    UnsavedDocument(const UnsavedDocument&) = delete;
    UnsavedDocument& operator=(const UnsavedDocument&) = delete;
    // Saved: closed in the ordinary way.
    void Close() {
        HostDocumentPtr doc = std::move(doc_);
        app_.Documents().Close(doc);
    }

private:
    HostApplication& app_;
    HostDocumentPtr doc_;
    std::string copy_;
};

class SketchEditing {
public:
    explicit SketchEditing(HostSketch& sketch) : sketch_(sketch) { sketch_.BeginEdit(); }
    ~SketchEditing() { sketch_.EndEdit(); }
    SketchEditing(const SketchEditing&) = delete;
    SketchEditing& operator=(const SketchEditing&) = delete;

private:
    HostSketch& sketch_;
};

bool SameFile(const std::string& a, const std::string& b) {
    return !a.empty() && !b.empty() && NormalizeDocumentPath(a) == NormalizeDocumentPath(b);
}

// A target that would put the result in the place of the user's own model:
// the stock model itself, or a document the host has open.
bool TargetTaken(HostApplication& app, const std::string& path, const std::string& stockFile) {
    if (SameFile(path, stockFile)) return true;
    HostDocuments& docs = app.Documents();
    for (std::size_t k = 0; k < docs.Count(); ++k)
        if (const HostDocumentPtr doc = docs.Item(k); doc && SameFile(path, doc->FilePath())) return true;
    return false;
}

// The region between the machined section and a frame round it, from the
// axis to 10 beyond the largest radius and from the section's start to 10
// beyond its end: what turning takes off the stock model.
std::unique_ptr<Contour> RemovedRegion(const Contour& section) {
    double zmin = 0, xmin = 0, zmax = 0, xmax = 0;
    section.GetBoundBox(zmin, xmin, zmax, xmax);
    auto region = std::make_unique<Contour>();
    const double zEnd = zmax + 10.0, xOut = xmin - 10.0;
    region->AddUnit(std::make_unique<CLineUnit>(zEnd, 0.0, zEnd, xOut));
    region->AddUnit(std::make_unique<CLineUnit>(zEnd, xOut, zmin, xOut));
    region->AddUnit(std::make_unique<CLineUnit>(zmin, xOut, zmin, 0.0));
    region->AddUnit(std::make_unique<CLineUnit>(zmin, 0.0, zEnd, 0.0));
    std::unique_ptr<Contour> cutter = section.Clone();
    RemovedUnitList removed;
    AddedUnitList added;
    if (SubtractRegion(*region, *cutter, zmin + 5.0, xmin - 5.0, removed, added, 0, 0) == 0)
        throw HostError(E_FAIL_, "the region round the machined section cannot be found");
    region->MergeOverlappingUnits();
    return region;
}

}  // namespace

std::string LscFileText(const LocalCoordinateSystem& lsc) {
    std::string text;
    for (int code : {LocalCoordinateSystem::kAxisX, LocalCoordinateSystem::kAxisY, LocalCoordinateSystem::kAxisZ}) {
        double x = 0, y = 0, z = 0;
        if (!lsc.GetAxis(code, x, y, z)) throw HostError(E_INVALIDARG_, "no axis " + std::to_string(code));
        char line[128];
        std::snprintf(line, sizeof line, "%1.3f %1.3f %1.3f\r\n", x, y, z);
        text += line;
    }
    return text;
}

void Create3DModelResult(const Contour* contour, const std::string& path, const ResultModelPlan& plan) {
    if (!contour || contour->Empty() || !plan.lsc) return;
    HostApplication& app = ConnectHostApplication();
    const bool fromFile = plan.stockMethod == CContourBuilderZagotovka::kFromFile;
    if (TargetTaken(app, path, fromFile ? plan.stockModelFile : std::string())) {
        HostMessageBox(std::string(kResultModelTarget) + "\n" + path, kResultModelCaption, kWarning);
        return;
    }

    HostDocumentPtr doc;
    if (fromFile) {
        std::error_code error;
        const bool copied = !plan.stockModelFile.empty() && CopyFileAtomic(plan.stockModelFile, path).ok;
        if (!copied) {
            HostMessageBox(std::string(kStockFileMissing) + "\n" + plan.stockModelFile, kResultModelCaption, kWarning);
            return;
        }
        // Opened by its content: a STEP model becomes a part document of no
        // file yet, which is saved in the copy's place.
        try {
            doc = app.Documents().Open(path, false);
        } catch (...) {
            std::filesystem::remove(path, error);
            throw;
        }
        if (doc->FilePath().empty()) std::filesystem::remove(path, error);
    } else {
        doc = app.Documents().Add(DocumentType::Part, false);
    }
    UnsavedDocument unsaved(app, doc, fromFile ? path : std::string());

    // Without the plan's folder the file has nowhere to go.
    if (plan.temporaryDirectory.empty()) return;
    const FileWriteResult lscFile =
        WriteFileAtomic(std::filesystem::path(plan.temporaryDirectory) / kLscFileName, LscFileText(*plan.lsc));
    if (!lscFile.ok) return;

    // The sketch lies on the NC system's ZX plane, its x along the turning
    // axis: the section's (z, x) are its coordinates.
    const LocalCoordinateSystem& lsc = *plan.lsc;
    const auto& axes = lsc.Axes();
    auto system = doc->AddLocalCoordinateSystem(lsc.Name(), lsc.Origin(), axes[0], axes[1], axes[2]);
    auto sketch = doc->AddSketch(kSketchName);
    sketch->SetPlane(system, LocalCoordinateSystem::kPlaneZX);
    {
        SketchEditing editing(*sketch);
        ActiveDocument2DSwitch to(sketch->Objects());
        sketch->Objects().LineSeg(0.0, 0.0, -15.0, 0.0, kSketchAxisStyle);
        std::unique_ptr<Contour> outline = fromFile ? RemovedRegion(*contour) : contour->Clone();
        outline->Draw2D(kSketchOutlineStyle);
    }
    const std::shared_ptr<HostPart> part = TopPart(doc);
    AddRotationOperation(*part, *sketch, fromFile ? RotationOperationKind::Cut : RotationOperationKind::Add);

    const std::uint32_t colour = SettingsRecord::Global().Colour(kResultModelColour);
    for (const auto& face : part->Faces()) face->SetColour(colour);

    doc->SaveAs(path, true);
    unsaved.Close();
}

}  // namespace zarvento
