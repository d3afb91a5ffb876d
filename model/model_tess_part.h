// CModelTessPart: one part of a tessellated model, a face per host face.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/tessellation_object_face.h"

namespace zarvento {

class HostPart;

class CModelTessPart : public CTessellationObjectFace {
public:
    // Destruction deletes the faces (each erases its drawable), then the part.
    void Erase() override;
    void Show() override;
    void Hide() override;
    bool IsVisible() const override;

    void DrawAt(double z, double x, double y);
    void MoveTo(double z, double x, double y);
    void Shift(double dz, double dx, double dy);
    void RotateX(double angle);
    void RotateY(double angle);
    void AppendTriangles(StepArray<CollisionTriangle>& list) const;
    // The part's and every face's LSC-input flag.
    void SetLscInput(bool on);
    // One face per host face of the part, in the host's order; true also for
    // a part without faces.
    bool LoadFaces(const HostPart& part);
    bool AnyFaceDrawn() const;

    std::vector<std::unique_ptr<CTessellationObjectFace>> faces;
    std::int32_t faceCount = 0;
};

}  // namespace zarvento
