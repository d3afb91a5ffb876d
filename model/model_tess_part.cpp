// CModelTessPart: the faces of one host part.
#include "model/model_tess_part.h"

#include "platform/part_model.h"

namespace zarvento {

void CModelTessPart::Erase() {
    for (auto& f : faces) f->Erase();
}

void CModelTessPart::Show() {
    for (auto& f : faces) f->Show();
}

void CModelTessPart::Hide() {
    for (auto& f : faces) f->Hide();
}

bool CModelTessPart::IsVisible() const {
    for (const auto& f : faces)
        if (f->IsVisible()) return true;
    return false;
}

bool CModelTessPart::AnyFaceDrawn() const {
    for (const auto& f : faces)
        if (f->IsDrawn()) return true;
    return false;
}

void CModelTessPart::DrawAt(double z, double x, double y) {
    for (auto& f : faces) f->DrawAt(z, x, y);
}

void CModelTessPart::MoveTo(double z, double x, double y) {
    for (auto& f : faces) f->MoveTo(z, x, y);
}

void CModelTessPart::Shift(double dz, double dx, double dy) {
    for (auto& f : faces) f->Shift(dz, dx, dy);
}

void CModelTessPart::RotateX(double angle) {
    for (auto& f : faces) f->RotateX(angle);
}

void CModelTessPart::RotateY(double angle) {
    for (auto& f : faces) f->RotateY(angle);
}

void CModelTessPart::AppendTriangles(StepArray<CollisionTriangle>& list) const {
    for (const auto& f : faces) f->AppendTriangles(list);
}

void CModelTessPart::SetLscInput(bool on) {
    lscInput = on;
    for (auto& f : faces) f->lscInput = on;
}

bool CModelTessPart::LoadFaces(const HostPart& part) {
    const std::vector<std::shared_ptr<HostFace>>& hostFaces = part.Faces();
    if (hostFaces.empty()) return true;
    faceCount = static_cast<std::int32_t>(hostFaces.size());
    Clear();
    for (const std::shared_ptr<HostFace>& hostFace : hostFaces) {
        if (!hostFace) continue;
        auto face = std::make_unique<CTessellationObjectFace>();
        face->lscInput = lscInput;
        face->colour = colour;
        face->light[4] = light[4];
        face->LoadFromHostFace(hostFace);
        faces.push_back(std::move(face));
    }
    return true;
}

}  // namespace zarvento
