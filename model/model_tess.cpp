// CModelTess: reading a model file through the host, and its triangles.
#include "model/model_tess.h"

#include <algorithm>

#include "platform/core/host_error.h"
#include "platform/core/messages.h"
#include "platform/documents/host_application.h"
#include "platform/part_model.h"
#include "platform/processes/module.h"

namespace zarvento {

void CModelTess::AddPart(const HostPart& hostPart) {
    auto part = std::make_unique<CModelTessPart>();
    part->colour = colour;
    part->light[4] = light[4];
    part->SetLscInput(lscInput);
    CModelTessPart& added = *part;
    parts.push_back(std::move(part));
    added.LoadFaces(hostPart);
}

bool CModelTess::LoadFromFile(const std::string& name) {
    std::string libraryPath;
    if (ModuleFilePath(libraryPath, name) == 0) {
        HostTextOutput("!GetFileName");
        return false;
    }
    triangles.RemoveAll();
    HostApplication* app = HostApplicationObject();
    if (!app) throw HostError(E_POINTER_, "no host application");
    HostDocuments& documents = app->Documents();
    HostDocumentPtr doc;
    for (std::size_t i = 0; i < documents.Count() && !doc; ++i)
        if (HostDocumentPtr d = documents.Item(i); d && d->FilePath() == name) doc = d;
    bool opened = false;
    if (!doc) {
        // The host may know the file under another spelling of its path: a
        // document it already had open is the user's, and stays open.
        const std::size_t before = documents.Count();
        try {
            doc = documents.Open(name, false);
        } catch (const HostError&) {
            return false;
        }
        if (!doc) return false;
        opened = documents.Count() > before;
    }
    path_ = name;
    const DocumentType type = doc->Type();
    if (type == DocumentType::Part) {
        partCount = 1;
        AddPart(*TopPart(doc));
    } else if (type == DocumentType::Assembly) {
        const std::vector<std::shared_ptr<HostPart>>& subParts = TopPart(doc)->SubParts();
        partCount = static_cast<std::int32_t>(subParts.size());
        for (const std::shared_ptr<HostPart>& sub : subParts) {
            if (!sub) throw HostError(E_NOINTERFACE_, "a sub-part of " + name + " is no part");
            AddPart(*sub);
        }
    }
    if (opened) documents.Close(doc);
    return true;
}

void CModelTess::Erase() {
    for (auto& p : parts) p->Erase();
}

void CModelTess::Show() {
    for (auto& p : parts) p->Show();
}

void CModelTess::Hide() {
    for (auto& p : parts) p->Hide();
}

bool CModelTess::IsVisible() const {
    return std::any_of(parts.begin(), parts.end(), [](const auto& p) { return p->IsVisible(); });
}

bool CModelTess::IsDrawn() const {
    return std::any_of(parts.begin(), parts.end(), [](const auto& p) { return p->AnyFaceDrawn(); });
}

void CModelTess::DrawAt(double z, double x, double y) {
    for (auto& p : parts) p->DrawAt(z, x, y);
}

void CModelTess::MoveTo(double z, double x, double y) {
    for (auto& p : parts) p->MoveTo(z, x, y);
}

void CModelTess::Shift(double dz, double dx, double dy) {
    for (auto& p : parts) p->Shift(dz, dx, dy);
}

void CModelTess::RotateX(double angle) {
    for (auto& p : parts) p->RotateX(angle);
}

void CModelTess::RotateY(double angle) {
    for (auto& p : parts) p->RotateY(angle);
}

void CModelTess::CollectTriangles(bool withBoxes) {
    overlapBox.fill(1e9);
    triangles.RemoveAll();
    const std::size_t count = std::min(parts.size(), static_cast<std::size_t>(std::max(partCount, 0)));
    for (std::size_t i = 0; i < count; ++i) parts[i]->AppendTriangles(triangles);
    if (withBoxes)
        for (CollisionTriangle& t : triangles) ComputeTriangleBox(t);
    ComputeBox();
}

void CModelTess::ComputeBox() {
    modelBox = {1e9, 1e9, 1e9, -1e9, -1e9, -1e9};
    for (const CollisionTriangle& t : triangles)
        for (std::size_t k = 0; k < 3; ++k) {
            modelBox[k] = std::min(modelBox[k], t.box[k]);
            modelBox[k + 3] = std::max(modelBox[k + 3], t.box[k + 3]);
        }
}

}  // namespace zarvento
