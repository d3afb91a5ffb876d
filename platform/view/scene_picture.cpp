// ScenePicture: opaque triangles first (depth tested and written), then the
// polylines (tested with a small lift towards the eye, so a path lying on a
// surface stays in front of it), then translucent meshes, blended without
// writing depth: each tints a pixel once, in one flat colour, however many of
// its surfaces lie over it, so that a translucent stock round the part reads
// as a veil and not as edges and rings on the part's faces. The picture is
// drawn at `samples` times its size and averaged down.
#include "platform/view/scene_picture.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/core/host_error.h"

namespace zarvento {

namespace {

using Vec = ScenePoint;

double Dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec Cross(const Vec& a, const Vec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Vec Sub(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec Scaled(const Vec& a, double k) { return {a[0] * k, a[1] * k, a[2] * k}; }
Vec Unit(const Vec& v) {
    const double len = std::sqrt(Dot(v, v));
    return len > 1e-300 ? Scaled(v, 1.0 / len) : Vec{0, 0, 0};
}

struct Rgb {
    double r = 0, g = 0, b = 0;
};

Rgb ColourOf(std::uint32_t c) {
    return {static_cast<double>(c & 0xFF), static_cast<double>((c >> 8) & 0xFF), static_cast<double>((c >> 16) & 0xFF)};
}

struct ScreenPoint {
    double x, y, depth;
};

class Canvas {
public:
    Canvas(const Scene& scene, const ScenePictureOptions& o) : samples_(std::clamp(o.samples, 1, 4)) {
        width_ = o.width * samples_;
        height_ = o.height * samples_;
        eye_ = Unit(o.eye);
        if (Dot(eye_, eye_) == 0) throw HostError(E_INVALIDARG_, "picture: no eye direction");
        right_ = Unit(Sub(o.right, Scaled(eye_, Dot(o.right, eye_))));
        if (Dot(right_, right_) == 0) throw HostError(E_INVALIDARG_, "picture: the right direction runs along the eye");
        up_ = Cross(eye_, right_);
        // From above the eye and to its right: the faces turned towards the
        // right (a turned part's free end) are lit, not dark as a bore is.
        light_ = Unit(Vec{eye_[0] + 0.6 * up_[0] + 0.6 * right_[0], eye_[1] + 0.6 * up_[1] + 0.6 * right_[1],
                          eye_[2] + 0.6 * up_[2] + 0.6 * right_[2]});
        const Rgb bg{static_cast<double>(o.background[0]), static_cast<double>(o.background[1]),
                     static_cast<double>(o.background[2])};
        colour_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), bg);
        depth_.assign(colour_.size(), -std::numeric_limits<double>::infinity());
        veil_.assign(colour_.size(), -1);
        Fit(scene.Box());
    }

    ScreenPoint Project(const Vec& p) const {
        return {(Dot(p, right_) - cx_) * scale_ + width_ / 2.0, height_ / 2.0 - (Dot(p, up_) - cy_) * scale_,
                Dot(p, eye_)};
    }

    // Flat shading: the triangle's own normal against the light, both sides lit.
    Rgb Shade(const Vec& a, const Vec& b, const Vec& c, std::uint32_t colour) const {
        const Vec n = Unit(Cross(Sub(b, a), Sub(c, a)));
        const double k = 0.3 + 0.7 * std::fabs(Dot(n, light_));
        const Rgb base = ColourOf(colour);
        return {base.r * k, base.g * k, base.b * k};
    }

    // `veil` >= 0: a translucent mesh's number; a pixel it tinted already is left as it is.
    void Triangle(const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c, const Rgb& rgb, double alpha,
                  int veil = -1) {
        const double area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
        if (std::fabs(area) < 1e-12) return;
        const int x0 = std::max(0, static_cast<int>(std::floor(std::min({a.x, b.x, c.x}))));
        const int x1 = std::min(width_ - 1, static_cast<int>(std::ceil(std::max({a.x, b.x, c.x}))));
        const int y0 = std::max(0, static_cast<int>(std::floor(std::min({a.y, b.y, c.y}))));
        const int y1 = std::min(height_ - 1, static_cast<int>(std::ceil(std::max({a.y, b.y, c.y}))));
        for (int y = y0; y <= y1; ++y) {
            const double py = y + 0.5;
            for (int x = x0; x <= x1; ++x) {
                const double px = x + 0.5;
                const double w0 = ((b.x - px) * (c.y - py) - (b.y - py) * (c.x - px)) / area;
                const double w1 = ((c.x - px) * (a.y - py) - (c.y - py) * (a.x - px)) / area;
                const double w2 = 1.0 - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0) continue;
                const double depth = w0 * a.depth + w1 * b.depth + w2 * c.depth;
                if (veil >= 0) {
                    const std::size_t i = Index(x, y);
                    if (veil_[i] == veil || depth <= depth_[i]) continue;
                    veil_[i] = veil;
                }
                Plot(x, y, depth, rgb, alpha, alpha >= 1.0);
            }
        }
    }

    void Line(const ScreenPoint& a, const ScreenPoint& b, const Rgb& rgb, int width, double lift) {
        const double dx = b.x - a.x, dy = b.y - a.y;
        const int steps = std::max(1, static_cast<int>(std::ceil(std::max(std::fabs(dx), std::fabs(dy)))));
        if (steps > 4 * (width_ + height_)) return;  // far outside: nothing of it is seen
        const int brush = std::max(1, width * samples_);
        for (int s = 0; s <= steps; ++s) {
            const double t = static_cast<double>(s) / steps;
            const int cx = static_cast<int>(std::floor(a.x + t * dx)) - brush / 2;
            const int cy = static_cast<int>(std::floor(a.y + t * dy)) - brush / 2;
            const double depth = a.depth + t * (b.depth - a.depth) + lift;
            for (int y = cy; y < cy + brush; ++y)
                for (int x = cx; x < cx + brush; ++x)
                    if (x >= 0 && y >= 0 && x < width_ && y < height_) Plot(x, y, depth, rgb, 1.0, true);
        }
    }

    double Size() const { return size_; }

    RgbaImage Finish(int width, int height) const {
        RgbaImage image(width, height);
        const double n = samples_ * samples_;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                Rgb sum;
                for (int sy = 0; sy < samples_; ++sy)
                    for (int sx = 0; sx < samples_; ++sx) {
                        const Rgb& c = colour_[Index(x * samples_ + sx, y * samples_ + sy)];
                        sum.r += c.r, sum.g += c.g, sum.b += c.b;
                    }
                image.Set(x, y, {Byte(sum.r / n), Byte(sum.g / n), Byte(sum.b / n), 255});
            }
        return image;
    }

private:
    static std::uint8_t Byte(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }
    std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
    }

    void Plot(int x, int y, double depth, const Rgb& rgb, double alpha, bool writeDepth) {
        const std::size_t i = Index(x, y);
        if (depth <= depth_[i]) return;
        Rgb& c = colour_[i];
        c.r = rgb.r * alpha + c.r * (1 - alpha);
        c.g = rgb.g * alpha + c.g * (1 - alpha);
        c.b = rgb.b * alpha + c.b * (1 - alpha);
        if (writeDepth) depth_[i] = depth;
    }

    // The scale and centre that show the whole box with a margin.
    void Fit(const SceneBox& box) {
        if (box.IsEmpty()) return;
        double xmin = 1e300, xmax = -1e300, ymin = 1e300, ymax = -1e300;
        for (int k = 0; k < 8; ++k) {
            const Vec p{(k & 1) ? box.max[0] : box.min[0], (k & 2) ? box.max[1] : box.min[1],
                        (k & 4) ? box.max[2] : box.min[2]};
            const double x = Dot(p, right_), y = Dot(p, up_);
            xmin = std::min(xmin, x), xmax = std::max(xmax, x);
            ymin = std::min(ymin, y), ymax = std::max(ymax, y);
        }
        cx_ = (xmin + xmax) / 2, cy_ = (ymin + ymax) / 2;
        const double w = std::max(xmax - xmin, 1e-9), h = std::max(ymax - ymin, 1e-9);
        scale_ = 0.92 * std::min(width_ / w, height_ / h);
        size_ = std::sqrt(Dot(Sub(box.max, box.min), Sub(box.max, box.min)));
    }

    int samples_;
    int width_ = 0, height_ = 0;
    Vec eye_{}, right_{}, up_{}, light_{};
    double cx_ = 0, cy_ = 0, scale_ = 1, size_ = 0;
    std::vector<Rgb> colour_;
    std::vector<double> depth_;
    std::vector<int> veil_;  // the translucent mesh that last tinted the pixel
};

struct Translucent {
    ScreenPoint a, b, c;
    Rgb rgb;
    double alpha;
    double depth;
    int mesh;
};

}  // namespace

RgbaImage ScenePicture::Render(const Scene& scene, const ScenePictureOptions& options) {
    if (options.width <= 0 || options.height <= 0 || options.width > 8192 || options.height > 8192)
        throw HostError(E_INVALIDARG_,
                        "picture: a size of " + std::to_string(options.width) + " x " + std::to_string(options.height));
    Canvas canvas(scene, options);
    std::vector<Translucent> translucent;
    for (std::size_t m = 0; m < scene.meshes.size(); ++m) {
        const SceneMesh& mesh = scene.meshes[m];
        const double alpha = std::clamp(mesh.opacity, 0.0, 1.0);
        if (alpha <= 0.0) continue;
        for (std::size_t t = 0; t + 2 < mesh.corners.size(); t += 3) {
            const Vec &pa = mesh.corners[t], &pb = mesh.corners[t + 1], &pc = mesh.corners[t + 2];
            const ScreenPoint a = canvas.Project(pa), b = canvas.Project(pb), c = canvas.Project(pc);
            if (alpha >= 0.999)
                canvas.Triangle(a, b, c, canvas.Shade(pa, pb, pc, mesh.colour), 1.0);
            else
                translucent.push_back(
                    {a, b, c, ColourOf(mesh.colour), alpha, (a.depth + b.depth + c.depth) / 3, static_cast<int>(m)});
        }
    }
    const double lift = 0.004 * canvas.Size();
    for (const SceneLines& lines : scene.lines) {
        const Rgb rgb = ColourOf(lines.colour);
        for (const auto& run : lines.runs)
            for (std::size_t i = 0; i + 1 < run.size(); ++i)
                canvas.Line(canvas.Project(run[i]), canvas.Project(run[i + 1]), rgb, lines.width, lift);
    }
    std::stable_sort(translucent.begin(), translucent.end(),
                     [](const Translucent& p, const Translucent& q) { return p.depth < q.depth; });
    for (const Translucent& t : translucent) canvas.Triangle(t.a, t.b, t.c, t.rgb, t.alpha, t.mesh);
    return canvas.Finish(options.width, options.height);
}

}  // namespace zarvento
