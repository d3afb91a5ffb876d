// A 3D model drawn in the part view (the coordinate-system model, fixture
// bodies, the simulated tool): loaded from a model file, drawn at a point,
// turned, shown, hidden, erased, and its triangles collected for the
// simulation's collision tests.
#pragma once

#include <string>

#include "geometry/step_array.h"
#include "model/collision_triangle.h"
#include "model/triangle_collision.h"

namespace zarvento {

class CModelTess {
public:
    CModelTess() = default;
    virtual ~CModelTess() = default;
    CModelTess(const CModelTess&) = delete;
    CModelTess& operator=(const CModelTess&) = delete;

    // False when the file does not exist.
    bool LoadFromFile(const std::string& path);
    // Draws the model at the coordinate system's point (z, x, y).
    void DrawAt(double z, double x, double y);
    // Moves the drawn model's origin to the coordinate system's point (z, x, y).
    void MoveTo(double z, double x, double y);
    // Turns the model about the X (Y) axis through its origin to an absolute
    // angle in radians.
    void RotateX(double angle) { angleX_ = angle; }
    void RotateY(double angle) { angleY_ = angle; }
    void Show() { visible_ = drawn_; }
    void Hide() { visible_ = false; }
    // Removes the drawn object from the view; the model stays usable.
    void Erase();

    // Rebuilds the placed triangles the collision checks use from the mesh
    // (1: with their boxes and the model's box).
    void CollectTriangles(int withBoxes);
    // 0 never collected, 1 without boxes, 2 with boxes.
    int TrianglesCollected() const { return trianglesCollected_; }
    const StepArray<CollisionTriangle>& Triangles() const { return triangles_; }
    const CollisionBox& Box() const { return box_; }

    bool IsDrawn() const { return drawn_; }
    bool IsVisible() const { return visible_; }
    const std::string& FilePath() const { return path_; }

    bool displayFlag = false;
    // The model's triangles in its own coordinates (x, y, z of the
    // coordinate system about the model's origin).
    StepArray<CollisionTriangle> mesh{100};

private:
    std::string path_;
    bool drawn_ = false;
    bool visible_ = false;
    int trianglesCollected_ = 0;
    double x_ = 0.0, y_ = 0.0, z_ = 0.0;
    double angleX_ = 0.0, angleY_ = 0.0;
    StepArray<CollisionTriangle> triangles_{100};
    CollisionBox box_{};
};

}  // namespace zarvento
