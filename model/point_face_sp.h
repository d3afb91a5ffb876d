// C3DPointFace_SP: the start-point marker of the plan data in the 3D view.
#pragma once

#include <cstdint>

namespace zarvento {

class C3DPointFace_SP {
public:
    void SetColour(std::uint32_t colour) { colour_ = colour; }
    // Draws the marker at the coordinate system's point (x, y, z).
    void DrawAtOffset(double x, double y, double z);
    void Hide();
    // Removes the drawn marker from the view; it stays usable.
    void Erase();

    bool IsDrawn() const { return item_ != 0; }
    bool IsVisible() const { return visible_; }

private:
    int item_ = 0;  // the view's item while drawn
    bool visible_ = false;
    std::uint32_t colour_ = 0;
};

}  // namespace zarvento
