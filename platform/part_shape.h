// PartShape: an exact solid body of the part model, and the ways the host
// makes one: revolving a profile about an axis, boxes and cylinders, cuts and
// unions, and writing STEP files. A shape is a value: copies share the body,
// which never changes once made.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zarvento {

using Point3 = std::array<double, 3>;

// A piece of a profile in the half plane of an axis: z along the axis from its
// origin, r >= 0 the distance from it.
struct MeridianPiece {
    enum class Kind { Segment, Arc, Spline };
    Kind kind = Kind::Segment;
    // Segment: the ends. Arc: the ends and a point on the arc between them.
    // Spline: the poles of a cubic B-spline that starts at the first and ends
    // at the last (at least four; a clamped uniform knot vector).
    std::vector<std::array<double, 2>> points;

    static MeridianPiece Segment(double z1, double r1, double z2, double r2);
    static MeridianPiece Arc(double z1, double r1, double zm, double rm, double z2, double r2);
    static MeridianPiece Spline(std::vector<std::array<double, 2>> poles);
};

// An axis of revolution: its origin, its direction and the direction in which
// the profile's r is measured (perpendicular to the axis).
struct RevolutionAxis {
    Point3 origin{0, 0, 0};
    Point3 direction{0, 0, 1};
    Point3 radial{1, 0, 0};
};

class PartShape {
public:
    struct Impl;

    PartShape();
    explicit PartShape(std::shared_ptr<const Impl> impl);

    bool IsNull() const;
    int FaceCount() const;
    int SolidCount() const;
    // mm3; 0 for no body.
    double Volume() const;

    // The solid swept by turning the profile once about the axis. The pieces
    // form one chain; when its ends differ it is closed by a segment, which
    // must lie on the axis (a part turned from the solid) or join the ends of
    // a closed ring. HostError (E_INVALIDARG) names what is wrong.
    static PartShape Revolve(const std::vector<MeridianPiece>& profile, const RevolutionAxis& axis = {});
    // The solid swept by moving a flat region of the plane z = z1 to z = z2.
    // Its boundary is the profile, read in the (x, y) plane: the pieces
    // (segments and arcs, as MeridianPiece gives them with x for z and y for
    // r) form one closed chain, in any order and each in either direction.
    static PartShape Extrude(const std::vector<MeridianPiece>& profile, double z1, double z2);
    static PartShape Box(const Point3& min, const Point3& max);
    static PartShape Cylinder(const Point3& base, const Point3& direction, double radius, double height);

    PartShape Cut(const PartShape& tool) const;
    PartShape Fuse(const PartShape& other) const;
    PartShape Translated(const Point3& offset) const;
    // Turned about the axis through `origin` along `direction`, counter-
    // clockwise seen against the direction.
    PartShape Rotated(const Point3& origin, const Point3& direction, double degrees) const;
    // The body's boundary faces as shells, without the solid they bound: a
    // surface model, as some STEP files hold.
    PartShape Skin() const;

    // Writes the body as a STEP file (AP214) of one part of that name, with
    // colours (0x00BBGGRR) given to some of its faces by number (from 1).
    void WriteStep(const std::string& path, const std::string& name,
                   const std::vector<std::pair<int, std::uint32_t>>& faceColours = {}) const;

    // Writes an assembly of components as a STEP file.
    struct Component;
    static void WriteStepAssembly(const std::string& path, const std::string& name,
                                  const std::vector<Component>& components);

    // The body in the host's own exact form (binary BREP) and back. A body
    // is read from its bytes when it is first asked for; reading raises
    // HostError(STG_E_DOCFILECORRUPT) then for bytes that are no body.
    // A checksum given to Decode is taken as the bytes' own.
    std::string Encode() const;
    static PartShape Decode(std::string_view bytes, std::optional<std::uint64_t> checksum = std::nullopt);
    // The checksum of the stored form (BodyChecksum of Encode()), which tells
    // bodies apart without reading them.
    std::uint64_t Checksum() const;

    const Impl* Get() const { return impl_.get(); }

private:
    std::shared_ptr<const Impl> impl_;
};

// The checksum (FNV-1a, 64 bits) of a body's stored form.
std::uint64_t BodyChecksum(std::string_view bytes);

// One component of an assembly written as STEP: a named part placed at an offset.
struct PartShape::Component {
    std::string name;
    PartShape shape;
    Point3 offset{0, 0, 0};
};

}  // namespace zarvento
