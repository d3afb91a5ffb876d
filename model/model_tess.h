// A 3D model drawn in the part view (the coordinate-system model, fixture
// bodies): loaded from a model file, drawn at a point, shown, hidden, erased.
#pragma once

#include <string>

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
    void Show() { visible_ = drawn_; }
    void Hide() { visible_ = false; }
    // Removes the drawn object from the view; the model stays usable.
    void Erase();

    // Rebuilds the triangles the collision checks use (1: with their boxes).
    void CollectTriangles(int withBoxes) { trianglesCollected_ = withBoxes != 0 ? 2 : 1; }
    // 0 never collected, 1 without boxes, 2 with boxes.
    int TrianglesCollected() const { return trianglesCollected_; }

    bool IsDrawn() const { return drawn_; }
    bool IsVisible() const { return visible_; }
    const std::string& FilePath() const { return path_; }

    bool displayFlag = false;

private:
    std::string path_;
    bool drawn_ = false;
    bool visible_ = false;
    int trianglesCollected_ = 0;
};

}  // namespace zarvento
