// CModelTess: a model file (a part or an assembly: a tool, a fixture, the
// stock, the coordinate system's sign) shown in the part's 3D view as a copy
// of its host tessellation, one part per part and one face per host face, and
// its triangles collected for the simulation's collision tests.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/model_tess_part.h"

namespace zarvento {

class CModelTess : public CTessellationObjectFace {
public:
    CModelTess() = default;

    // Reads the model file through the host: a document open in the host
    // under that name is used and left open, any other is opened invisibly
    // and closed again. False without a message when the file cannot be
    // opened; "!GetFileName" and false when the library's folder cannot be read.
    bool LoadFromFile(const std::string& name);

    // Every face of every part, each with its own reference point.
    void Erase() override;
    void Show() override;
    void Hide() override;
    bool IsVisible() const override;
    void DrawAt(double z, double x, double y);
    void DrawAtXYZ(double x, double y, double z) { DrawAt(z, x, y); }
    void MoveTo(double z, double x, double y);
    void Shift(double dz, double dx, double dy);
    void RotateX(double angle);
    void RotateY(double angle);
    // Some face of the model has a drawable.
    bool IsDrawn() const;

    // Rebuilds the triangle list (faces in part order), their boxes when
    // asked, and the model box.
    void CollectTriangles(bool withBoxes);
    // The model box over the triangles' boxes; (1e9, 1e9, 1e9, -1e9, -1e9,
    // -1e9) without triangles.
    void ComputeBox();

    const std::string& FilePath() const { return path_; }

    // Minimum x, y, z, then maximum x, y, z (model coordinates).
    std::array<double, 6> modelBox{};
    // Written by the simulation's collision test.
    std::array<double, 6> overlapBox{};
    std::vector<std::unique_ptr<CModelTessPart>> parts;
    std::int32_t partCount = 0;
    StepArray<CollisionTriangle> triangles{100};
    // The plan data's display of this model (the coordinate system's sign, a
    // turned fixture).
    bool displayFlag = false;

private:
    void AddPart(const HostPart& part);

    std::string path_;
};

}  // namespace zarvento
