// Scene: what a 3D document's view shows, gathered for the pictures and the
// glTF file: the document's own body (its faces, tessellated by the host) and
// the library's drawables that are enabled and visible in the view, as
// triangles with one colour and opacity per mesh, and polylines.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zarvento {

class HostDocument;

using ScenePoint = std::array<double, 3>;

struct SceneMesh {
    std::string name;
    // Three corners per triangle, each with its point and normal (a zero
    // normal when the source gave none).
    std::vector<ScenePoint> corners;
    std::vector<ScenePoint> normals;
    std::uint32_t colour = 0;  // 0x00BBGGRR
    double opacity = 1.0;
};

struct SceneLines {
    std::string name;
    std::vector<std::vector<ScenePoint>> runs;
    std::uint32_t colour = 0;
    int width = 1;
};

struct SceneBox {
    ScenePoint min{1e300, 1e300, 1e300};
    ScenePoint max{-1e300, -1e300, -1e300};
    bool IsEmpty() const { return min[0] > max[0]; }
    void Add(const ScenePoint& p);
};

struct Scene {
    std::vector<SceneMesh> meshes;
    std::vector<SceneLines> lines;

    int TriangleCount() const;
    SceneBox Box() const;
};

// The scene of a document's view `viewKey`; E_POINTER for a closed document.
Scene CollectScene(const HostDocument& doc, std::int64_t viewKey = 0);

}  // namespace zarvento
