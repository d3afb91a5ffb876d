// HostDrawable: one drawing object in the 3D view of a part or assembly
// document. The library hands it a triangle mesh or a polyline as packed
// arrays in model coordinates, a colour with six light values, a line width
// and its visibility per view; the view, its survey and its pictures show
// what it holds. The drawable belongs to its document: once removed (or once
// the document closes) every call on it raises HostError(E_POINTER).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "platform/core/host_object.h"
#include "platform/core/variant.h"

namespace zarvento {

class HostDrawingContainer;

enum class DrawableShape { Empty, Mesh, Polyline };

// In the order the colour call takes them: ambient, diffuse, specularity,
// shininess, opacity (1 opaque, 0 invisible) and emission.
using DrawableLight = std::array<double, 6>;
inline constexpr int kOpacityLight = 4;

class HostDrawable : public HostObject {
public:
    static constexpr int kObjectType = 120;

    HostDrawable(HostDrawingContainer* container, std::int64_t number) : container_(container), number_(number) {}
    int ObjectType() const override { return kObjectType; }

    // A triangle mesh: reals x, y, z per vertex; integer vertex numbers, three
    // per triangle; reals x, y, z per normal, one per vertex unless normal
    // indices (three per triangle, like the vertex numbers) say otherwise.
    // Arrays that do not fit together raise E_INVALIDARG and change nothing.
    void SetMesh(const Variant& vertices, const Variant& indices, const Variant& normals, const Variant& normalIndices);
    // Polylines: reals x, y, z per point; integers in runs, each the number n
    // of its points followed by n point numbers. The third value is unused.
    void SetPolyline(const Variant& vertices, const Variant& indices, const Variant& unused);
    void SetColour(std::uint32_t colour, const DrawableLight& light);
    void SetLineWidth(const Variant& width);
    void Enable(std::int32_t on);
    void SetFaceOption(std::int32_t first, std::int32_t second);
    void SetVisibility(std::int64_t viewKey, std::int32_t visible);
    // Deletes the drawable from its document; `removed` says it happened.
    void Remove(bool& removed);

    // What the view holds, read without host calls (survey and pictures).
    bool Removed() const { return container_ == nullptr; }
    // The drawable's number in its document, from 1 in creation order.
    std::int64_t Number() const { return number_; }
    DrawableShape Shape() const { return shape_; }
    const std::vector<double>& Vertices() const { return vertices_; }
    const std::vector<std::int32_t>& Indices() const { return indices_; }
    const std::vector<double>& Normals() const { return normals_; }
    // A mesh's triangle corners: vertex and normal number of corner k.
    int CornerCount() const { return shape_ == DrawableShape::Mesh ? static_cast<int>(indices_.size()) : 0; }
    std::int32_t CornerVertex(int k) const { return indices_[static_cast<std::size_t>(k)]; }
    // -1 when the mesh has no normals.
    std::int32_t CornerNormal(int k) const;
    int TriangleCount() const { return CornerCount() / 3; }
    // Polylines as runs of point numbers.
    const std::vector<std::vector<std::int32_t>>& Polylines() const { return polylines_; }

    std::uint32_t Colour() const { return colour_; }
    const DrawableLight& Light() const { return light_; }
    double Opacity() const { return light_[kOpacityLight]; }
    std::int32_t LineWidth() const { return lineWidth_; }
    bool Enabled() const { return enabled_; }
    std::array<std::int32_t, 2> FaceOption() const { return faceOption_; }
    // Visible in that view: shown unless the view's flag was set to 0.
    bool VisibleIn(std::int64_t viewKey) const;
    // How many times the geometry was sent (each Draw sends it whole).
    int GeometryUpdates() const { return geometryUpdates_; }

    // The container forgets the drawable when it is removed or closes.
    void Detach() { container_ = nullptr; }

private:
    void CheckLive(const char* call) const;

    HostDrawingContainer* container_;
    std::int64_t number_;
    DrawableShape shape_ = DrawableShape::Empty;
    std::vector<double> vertices_;
    std::vector<std::int32_t> indices_;
    std::vector<double> normals_;
    std::vector<std::int32_t> normalIndices_;
    std::vector<std::vector<std::int32_t>> polylines_;
    std::uint32_t colour_ = 0;
    DrawableLight light_{0.5, 0.6, 0.8, 0.8, 1.0, 0.5};
    std::int32_t lineWidth_ = 1;
    bool enabled_ = false;
    std::array<std::int32_t, 2> faceOption_{0, 0};
    std::map<std::int64_t, bool> visibility_;
    int geometryUpdates_ = 0;
};

}  // namespace zarvento
