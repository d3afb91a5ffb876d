// Binary glTF: a JSON chunk describing nodes, meshes, materials and accessors,
// and one binary chunk holding every position and normal as 32-bit floats.
// Triangles are written as they come (no shared vertices); polylines as line
// segments.
#include "platform/view/scene_gltf.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/core/host_error.h"
#include "platform/core/variant.h"

namespace zarvento {

namespace {

constexpr std::uint32_t kGlbMagic = 0x46546C67;  // "glTF"
constexpr std::uint32_t kJsonChunk = 0x4E4F534A;
constexpr std::uint32_t kBinChunk = 0x004E4942;
constexpr int kFloat = 5126;
constexpr int kModeLines = 1;
constexpr int kModeTriangles = 4;
constexpr int kArrayBuffer = 34962;

double SrgbToLinear(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }

std::string Num(double v) { return FormatDouble(v); }

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) continue;
        out += c;
    }
    return out + "\"";
}

ScenePoint Unit(const ScenePoint& v) {
    const double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (!(len > 1e-12)) return {0, 0, 0};
    return {v[0] / len, v[1] / len, v[2] / len};
}

ScenePoint TriangleNormal(const ScenePoint& a, const ScenePoint& b, const ScenePoint& c) {
    const ScenePoint u{b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const ScenePoint v{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    return Unit({u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]});
}

class GlbBuilder {
public:
    // Appends VEC3 floats as one buffer view and accessor; its number.
    int AddVec3(const std::vector<ScenePoint>& points, bool withBounds) {
        const std::size_t offset = bin_.size();
        float lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
        for (std::size_t i = 0; i < points.size(); ++i) {
            for (int k = 0; k < 3; ++k) {
                const float f = static_cast<float>(points[i][static_cast<std::size_t>(k)]);
                if (i == 0 || f < lo[k]) lo[k] = f;
                if (i == 0 || f > hi[k]) hi[k] = f;
                char bytes[4];
                std::memcpy(bytes, &f, 4);
                bin_.append(bytes, 4);
            }
        }
        const int index = static_cast<int>(accessors_.size());
        views_.push_back("{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) + ",\"byteLength\":" +
                         std::to_string(bin_.size() - offset) + ",\"target\":" + std::to_string(kArrayBuffer) + "}");
        std::string a = "{\"bufferView\":" + std::to_string(index) + ",\"componentType\":" + std::to_string(kFloat) +
                        ",\"count\":" + std::to_string(points.size()) + ",\"type\":\"VEC3\"";
        if (withBounds)
            a += ",\"min\":[" + Num(lo[0]) + "," + Num(lo[1]) + "," + Num(lo[2]) + "],\"max\":[" + Num(hi[0]) + "," +
                 Num(hi[1]) + "," + Num(hi[2]) + "]";
        accessors_.push_back(a + "}");
        return index;
    }

    int AddMaterial(std::uint32_t colour, double opacity, bool lines) {
        const std::array<double, 3> rgb = GltfLinearColour(colour);
        std::string m = "{\"pbrMetallicRoughness\":{\"baseColorFactor\":[" + Num(rgb[0]) + "," + Num(rgb[1]) + "," +
                        Num(rgb[2]) + "," + Num(opacity) +
                        "],\"metallicFactor\":0,\"roughnessFactor\":" + (lines ? "1" : "0.6") +
                        "},\"doubleSided\":true";
        if (opacity < 1.0) m += ",\"alphaMode\":\"BLEND\"";
        materials_.push_back(m + "}");
        return static_cast<int>(materials_.size()) - 1;
    }

    void AddMesh(const std::string& name, const std::string& primitive) {
        const int index = static_cast<int>(meshes_.size());
        meshes_.push_back("{\"name\":" + Quoted(name) + ",\"primitives\":[" + primitive + "]}");
        nodes_.push_back("{\"name\":" + Quoted(name) + ",\"mesh\":" + std::to_string(index) + "}");
    }

    std::string Json() const {
        // The root node turns the model's Z (up in the part's view) to glTF's Y.
        std::string children;
        for (std::size_t i = 0; i < nodes_.size(); ++i) children += (i ? "," : "") + std::to_string(i + 1);
        std::string j = "{\"asset\":{\"version\":\"2.0\",\"generator\":\"Zarvento\"},\"scene\":0,";
        j += "\"scenes\":[{\"nodes\":[0]}],\"nodes\":[{\"name\":\"view\",\"rotation\":[-0.7071067811865476,0,0,"
             "0.7071067811865476],\"children\":[" +
             children + "]}";
        for (const std::string& n : nodes_) j += "," + n;
        j += "]";
        j += List("meshes", meshes_) + List("materials", materials_) + List("accessors", accessors_) +
             List("bufferViews", views_);
        if (!bin_.empty()) j += ",\"buffers\":[{\"byteLength\":" + std::to_string(bin_.size()) + "}]";
        return j + "}";
    }

    const std::string& Bin() const { return bin_; }

private:
    static std::string List(const char* key, const std::vector<std::string>& items) {
        if (items.empty()) return "";
        std::string s = std::string(",\"") + key + "\":[";
        for (std::size_t i = 0; i < items.size(); ++i) s += (i ? "," : "") + items[i];
        return s + "]";
    }

    std::string bin_;
    std::vector<std::string> views_, accessors_, materials_, meshes_, nodes_;
};

void PutU32(std::string& out, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) out += static_cast<char>((v >> (8 * k)) & 0xFF);
}

}  // namespace

std::array<double, 3> GltfLinearColour(std::uint32_t colour) {
    return {SrgbToLinear((colour & 0xFF) / 255.0), SrgbToLinear(((colour >> 8) & 0xFF) / 255.0),
            SrgbToLinear(((colour >> 16) & 0xFF) / 255.0)};
}

void WriteSceneGlb(const Scene& scene, const std::string& path) {
    GlbBuilder glb;
    for (const SceneMesh& mesh : scene.meshes) {
        // Viewers light by the normals, which must be of unit length: a
        // corner without a usable normal takes its triangle's.
        std::vector<ScenePoint> normals(mesh.corners.size());
        for (std::size_t t = 0; t + 2 < mesh.corners.size(); t += 3) {
            const ScenePoint flat = TriangleNormal(mesh.corners[t], mesh.corners[t + 1], mesh.corners[t + 2]);
            for (std::size_t k = t; k < t + 3; ++k) {
                const ScenePoint n = Unit(mesh.normals[k]);
                normals[k] = n == ScenePoint{0, 0, 0} ? (flat == ScenePoint{0, 0, 0} ? ScenePoint{0, 0, 1} : flat) : n;
            }
        }
        const int position = glb.AddVec3(mesh.corners, true);
        const int normal = glb.AddVec3(normals, false);
        const int material = glb.AddMaterial(mesh.colour, mesh.opacity, false);
        glb.AddMesh(mesh.name, "{\"attributes\":{\"POSITION\":" + std::to_string(position) + ",\"NORMAL\":" +
                                   std::to_string(normal) + "},\"material\":" + std::to_string(material) +
                                   ",\"mode\":" + std::to_string(kModeTriangles) + "}");
    }
    for (const SceneLines& lines : scene.lines) {
        std::vector<ScenePoint> ends;
        for (const auto& run : lines.runs)
            for (std::size_t i = 0; i + 1 < run.size(); ++i) {
                ends.push_back(run[i]);
                ends.push_back(run[i + 1]);
            }
        if (ends.empty()) continue;
        const int position = glb.AddVec3(ends, true);
        const int material = glb.AddMaterial(lines.colour, 1.0, true);
        glb.AddMesh(lines.name, "{\"attributes\":{\"POSITION\":" + std::to_string(position) + "},\"material\":" +
                                    std::to_string(material) + ",\"mode\":" + std::to_string(kModeLines) + "}");
    }

    std::string json = glb.Json();
    while (json.size() % 4 != 0) json += ' ';
    std::string bin = glb.Bin();
    while (bin.size() % 4 != 0) bin += '\0';
    std::string out;
    const std::size_t total = 12 + 8 + json.size() + (bin.empty() ? 0 : 8 + bin.size());
    PutU32(out, kGlbMagic);
    PutU32(out, 2);
    PutU32(out, static_cast<std::uint32_t>(total));
    PutU32(out, static_cast<std::uint32_t>(json.size()));
    PutU32(out, kJsonChunk);
    out += json;
    if (!bin.empty()) {
        PutU32(out, static_cast<std::uint32_t>(bin.size()));
        PutU32(out, kBinChunk);
        out += bin;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file || !file.write(out.data(), static_cast<std::streamsize>(out.size())) || !file.flush())
        throw HostError(STG_E_WRITEFAULT_, "cannot write the glTF file " + path);
}

}  // namespace zarvento
