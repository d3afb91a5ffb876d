// The part model of a part or assembly document: the top part with its exact
// body, whose faces and edges are entities of the document (persistent ids,
// so a stored pick of a face resolves again after reopening); the part's
// properties, dimensions and roughness signs; the curves the model answers;
// and the outline object, the section of chosen faces by a coordinate plane.
//
// The body is Open CASCADE's inside the host; what the library sees here are
// the host's answers: surface kinds and placements, projections, curve types
// and polylines. A STEP file becomes a document through ImportStep.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/host_object.h"
#include "platform/documents/host_document.h"
#include "platform/drawings/local_coordinate_system.h"
#include "platform/part_shape.h"

namespace zarvento {

class HostPart;
struct StoredBodyParts;

// Surface kinds as the host tells them apart. B-spline and Bézier surfaces and
// surfaces of revolution (a turned spline) are the host's "NURBS".
enum class SurfaceKind : int { Plane = 0, Cylinder, Cone, Torus, Sphere, Nurbs, Other };
enum class CurveKind : int { Segment = 0, Arc, Other };

// A face's colour (0x00BBGGRR) comes with six light values: ambient, diffuse,
// specularity, shininess, transparency (1 opaque) and emission.
using LightValues = std::array<double, 6>;
inline constexpr LightValues kDefaultLight{0.5, 0.6, 0.8, 0.8, 1.0, 0.5};
inline constexpr std::uint32_t kDefaultFaceColour = 0x00B4B4B4;

// A curve of the model: an edge's curve, or a curve of an outline's result.
// Parameters run over [tmin, tmax].
class HostCurve : public HostObject {
public:
    struct Geometry;
    explicit HostCurve(std::shared_ptr<const Geometry> geometry);
    ~HostCurve() override;

    CurveKind Kind() const;
    void Range(double& tmin, double& tmax) const;
    Point3 PointAt(double t) const;
    // The parameter of the curve's point nearest to p, within the range.
    double Project(const Point3& p) const;
    // The circle of an arc; false for any other curve.
    bool Arc(Point3& centre, double& radius) const;
    // Points along the curve no farther than `accuracy` from it, start and end
    // included, as x, y, z triples.
    std::vector<double> Polyline(double accuracy) const;
    // The face of the model an outline's curve outlines; null for others.
    const HostObjectPtr& SourceFace() const { return sourceFace_; }
    void SetSourceFace(HostObjectPtr face) { sourceFace_ = std::move(face); }

    const Geometry& Get() const { return *geometry_; }

private:
    std::shared_ptr<const Geometry> geometry_;
    HostObjectPtr sourceFace_;
};

// A face of a part's body (host object type 6).
class HostFace : public HostObject {
public:
    static constexpr int kObjectType = 6;
    struct Geometry;

    HostFace(std::shared_ptr<const Geometry> geometry, int index);
    ~HostFace() override;
    // The document file binds a face read back to its body, whose geometry
    // it takes when it is first asked about: a run that asks nothing of the
    // body never reads it.
    void BindLater(std::shared_ptr<const StoredBodyParts> body) { pending_ = std::move(body); }

    int ObjectType() const override { return kObjectType; }

    SurfaceKind Kind() const;
    // The host's yes/no question for one surface kind.
    bool IsKind(SurfaceKind kind) const;
    // The placement of a plane, cylinder, cone, torus or turned surface: its
    // origin and the point one unit along its axis (a plane's normal); false
    // for other kinds.
    bool Placement(Point3& origin, Point3& axisPoint) const;
    // A sphere's centre; false for other kinds.
    bool Centre(Point3& centre) const;
    // Whether the face's surface is turned about the axis through `origin`
    // along `direction`: a plane square to it, a surface of revolution about
    // it, a sphere centred on it, or a spline surface whose normals all meet it.
    bool TurnsAbout(const Point3& origin, const Point3& direction) const;
    // The surface parameters of the face's point nearest to p; false when the
    // host finds none.
    bool Project(const Point3& p, double& u, double& v) const;
    Point3 PointAt(double u, double v) const;
    // The box that holds the face.
    void Box(Point3& min, Point3& max) const;
    double Area() const;

    std::uint32_t Colour() const { return colour_; }
    const LightValues& Light() const { return light_ ? *light_ : kDefaultLight; }
    void SetColour(std::uint32_t colour, const LightValues& light = kDefaultLight);

    // The face's number in its body (from 1) and the persistent id of its
    // part, by which it is stored.
    int Index() const { return index_; }
    std::int64_t PartId() const { return partId_; }
    void SetPartId(std::int64_t id) { partId_ = id; }
    const Geometry& Get() const { return geometry_ ? *geometry_ : Bound(); }

private:
    const Geometry& Bound() const;

    mutable std::shared_ptr<const Geometry> geometry_;
    mutable std::shared_ptr<const StoredBodyParts> pending_;
    std::int64_t partId_ = 0;
    int index_;
    std::uint32_t colour_ = kDefaultFaceColour;
    // Other light values than the default; nearly every face has those.
    std::unique_ptr<const LightValues> light_;
};

// An edge of a part's body (host object type 7).
class HostEdge : public HostObject {
public:
    static constexpr int kObjectType = 7;
    struct Geometry;

    HostEdge(std::shared_ptr<const Geometry> geometry, int index);
    ~HostEdge() override;
    void BindLater(std::shared_ptr<const StoredBodyParts> body) { pending_ = std::move(body); }

    int ObjectType() const override { return kObjectType; }
    void Vertices(Point3& first, Point3& last) const;
    std::shared_ptr<HostCurve> Curve() const;
    // A box that surely holds the edge's curve (a line, an arc, a spline by its
    // poles), grown by the edge's tolerance; false for an edge no box bounds so.
    bool Box(Point3& min, Point3& max) const;
    int Index() const { return index_; }
    std::int64_t PartId() const { return partId_; }
    void SetPartId(std::int64_t id) { partId_ = id; }
    const Geometry& Get() const { return geometry_ ? *geometry_ : Bound(); }

private:
    const Geometry& Bound() const;

    mutable std::shared_ptr<const Geometry> geometry_;
    mutable std::shared_ptr<const StoredBodyParts> pending_;
    int index_;
    std::int64_t partId_ = 0;
};

// A dimension drawn on the model: its kind, nominal value and tolerance.
enum class DimensionKind : int { Linear = 0, Diametral, Radial, Angular };

class HostDimension : public HostObject {
public:
    static constexpr int kObjectType = 110;

    HostDimension(DimensionKind kind, double nominal) : kind_(kind), nominal_(nominal) {}
    int ObjectType() const override { return kObjectType; }

    DimensionKind Kind() const { return kind_; }
    double Nominal() const;
    // The two flags of the tolerance's display; the deviations are texts as
    // the drawing shows them ("+0,1", "-0.05").
    bool ShowsTolerance() const { return showsTolerance_; }
    bool ShowsDeviations() const { return showsDeviations_; }
    const std::string& UpperDeviation() const { return upper_; }
    const std::string& LowerDeviation() const { return lower_; }
    void SetTolerance(bool showsTolerance, bool showsDeviations, std::string upper, std::string lower);

private:
    DimensionKind kind_;
    double nominal_;
    bool showsTolerance_ = false;
    bool showsDeviations_ = false;
    std::string upper_, lower_;
};

// A roughness sign on the model, with its text ("Ra 3,2").
class HostRoughnessSign : public HostObject {
public:
    static constexpr int kObjectType = 111;

    explicit HostRoughnessSign(std::string text) : text_(std::move(text)) {}
    int ObjectType() const override { return kObjectType; }
    const std::string& Text() const;

private:
    std::string text_;
};

// The part's own properties; the name is the part object's name.
struct PartProperties {
    std::string designation;
    std::string material;
    // The materials reference's key of the material; absent when the
    // material was not taken from the reference.
    bool hasLocation = false;
    std::string location;
    double density = 0;  // g/cm3
    std::string author;
    std::string organization;
    // The text of the sign of the unspecified roughness ("Ra 6,3").
    std::string unspecifiedRoughness;
    // The file the part is linked to (its source); empty for none.
    std::string linkedFile;
};

// The outline object: the outline of the faces of reference 0 turned about
// the first axis of the plane of reference 1 (a coordinate plane of a system
// of the document; for the ZX plane its Z axis) into the half of the plane on
// the positive side of its second axis (for the ZX plane: X >= 0), the
// outline a lathe sees of them: a point of a face lands where the turn about
// the axis takes it into the half plane. A face turned about the axis gives
// its meridian; any other face the region it sweeps, bounded by the images
// of its edges and of its silhouette (within 0.0005 mm where they are no
// lines or arcs). Each curve knows the face it outlines. Its result is one
// item holding every curve, or none.
class HostOutline : public HostObject {
public:
    static constexpr int kObjectType = 104;

    explicit HostOutline(std::string name) { SetName(std::move(name)); }
    int ObjectType() const override { return kObjectType; }

    // Forgets the references and the result (the host's two reset calls).
    void ClearReferences();
    void ClearResult();
    void AddReference(int index, const HostObjectPtr& object);
    // Computes the result; E_INVALIDARG without a plane of a coordinate system.
    void Rebuild();
    int ResultCount() const;
    std::vector<std::shared_ptr<HostCurve>> ResultCurves(int item) const;

    // The document the outline belongs to.
    HostDocument* Document() const { return document_.lock().get(); }
    void Attach(const std::shared_ptr<HostDocument>& doc) { document_ = doc; }

private:
    std::weak_ptr<HostDocument> document_;
    std::vector<HostObjectPtr> faces_;
    HostObjectPtr plane_;
    std::vector<std::vector<std::shared_ptr<HostCurve>>> result_;
};

// The top part of a document, or a sub-part of an assembly.
class HostPart : public HostObject {
public:
    static constexpr int kObjectType = 100;

    HostPart();
    ~HostPart() override;
    int ObjectType() const override { return kObjectType; }

    bool HasBody() const { return !body_.IsNull(); }
    const PartShape& Body() const { return body_; }
    // In the host's order; empty without a body.
    const std::vector<std::shared_ptr<HostFace>>& Faces() const;
    const std::vector<std::shared_ptr<HostEdge>>& Edges() const;
    const std::vector<std::shared_ptr<HostPart>>& SubParts() const;
    HostPart* Parent() const { return parent_; }
    // The parent's persistent id as a document file gives it, until linked.
    std::int64_t StoredParentId() const { return storedParentId_; }
    void SetStoredParentId(std::int64_t id) { storedParentId_ = id; }

    PartProperties& Properties() { return properties_; }
    const PartProperties& Properties() const;
    // mm3, and kg from the density.
    double Volume() const;
    double Mass() const;

    // Model objects of the part's document by name (the first one), or null.
    HostObjectPtr FindModelObject(const std::string& name) const;
    std::shared_ptr<HostOutline> CreateOutline(const std::string& name);

    // Host switches the library turns off while it works in the model: the
    // part's rebuild after each change, the document's redraw and its undo
    // recording. The state flag tells whether the document changed since it
    // was opened or saved; the reset call clears it.
    void SetRebuildSwitch(int on);
    void SetRedrawSwitch(int on);
    void SetUndoSwitch(int on);
    bool RebuildSwitch() const { return rebuildOn_; }
    bool RedrawSwitch() const { return redrawOn_; }
    bool UndoSwitch() const { return undoOn_; }
    bool StateFlag() const;
    void ResetState();
    void MarkChanged() { changed_ = true; }

    // Used by the part model's own functions.
    HostDocument* Document() const;
    void Attach(const std::shared_ptr<HostDocument>& doc) { document_ = doc; }
    void SetBodyParts(PartShape body, std::vector<std::shared_ptr<HostFace>> faces,
                      std::vector<std::shared_ptr<HostEdge>> edges);
    void AddSubPart(const std::shared_ptr<HostPart>& part);
    void SetParent(HostPart* parent) { parent_ = parent; }

private:
    std::weak_ptr<HostDocument> document_;
    HostPart* parent_ = nullptr;
    std::int64_t storedParentId_ = 0;
    PartShape body_;
    std::vector<std::shared_ptr<HostFace>> faces_;
    std::vector<std::shared_ptr<HostEdge>> edges_;
    std::vector<std::shared_ptr<HostPart>> subParts_;
    PartProperties properties_;
    bool rebuildOn_ = true, redrawOn_ = true, undoOn_ = true, changed_ = false;
};

// The top part of a part or assembly document, made on first use;
// E_INVALIDARG for a drawing.
std::shared_ptr<HostPart> TopPart(const HostDocumentPtr& doc);

// Replaces a part's body: the faces and edges of the new body become entities
// of the part's document (new ids, default colour); the old ones are removed.
void SetPartBody(HostPart& part, const PartShape& body);

// Reads a STEP file (AP203/AP214) into an empty part or assembly document,
// in a process of its own (a file that makes the translator crash is a
// damaged file). One part (any number of solids, whatever other geometry the
// file carries about it) becomes the body of the top part; an assembly of
// several bodies becomes sub-parts of the top part, one per component,
// placed. A part document takes one body: `body` names it by its number in
// the file (from 1) or its name; without it an assembly is refused with the
// list of its bodies (number, name, volume, box); a name that fits several
// bodies is refused with them. Faces keep their colours, parts their names
// (their products' where the file names no part). A missing file, a folder
// or other file that is no regular file, an empty, foreign, cut-off, damaged
// or too large file (over kMaxStepFileBytes), one whose reading takes more
// memory than the reader may have, or one without a solid, raises HostError
// naming the file and the reason and leaves the document as it was. What the
// read skipped (presentation entities it cannot read) goes to the host's
// text output, a line each.
void ImportStep(const HostDocumentPtr& doc, const std::string& path, const std::string& body = {});
inline constexpr std::uint64_t kMaxStepFileBytes = std::uint64_t{32} << 20;
// Whether the file begins as a STEP file does (recognised by content, not by
// its name).
bool IsStepFile(const std::string& path);
// A new document (a part, or an assembly when the file holds one) read from
// a STEP file; it has no file of its own until it is saved.
HostDocumentPtr OpenStepDocument(const std::string& path);

// The frame of a coordinate system on the axis of a face of revolution of the
// part's body (a cylinder, cone, torus or turned surface): Z along the axis,
// pointing out of the body at the end of its extent along the axis that the
// face lies nearer to (the part's free end), or out of the other end when
// reversed; the origin on the axis at that end; X the model axis most square
// to Z, made square (LocalCoordinateSystem::MakeFrame). HostError
// (E_INVALIDARG) for a face without an axis or a part without a body.
LocalCoordinateSystem::Frame FrameOnFaceAxis(const HostPart& part, const HostFace& face, bool reversed);

// The axis of a face of revolution of the part's body (a cylinder, cone,
// torus or turned surface) nearest the line through `origin` along
// `direction`: least askew, then nearest to `origin`. Its face's number in
// the body (from 1; 0 when the body has no such face), a point of it and its
// direction in the sense of `direction`, the angle between the two (radians)
// and the distance of `origin` from it.
struct FaceAxis {
    int face = 0;
    Point3 point{0, 0, 0}, direction{0, 0, 1};
    double angle = 0, offset = 0;
};
FaceAxis NearestFaceAxis(const HostPart& part, const Point3& origin, const Point3& direction);
// A system's axis typed within these of a face's axis is that axis: four
// decimals of each coordinate and of each component of a direction fall
// well within them, while the axes of a part's faces that are not one stand
// much farther apart.
inline constexpr double kAxisSnapDegrees = 0.05;
inline constexpr double kAxisSnapMillimetres = 0.01;

// The dimensions and roughness signs of a document, in the host's order.
std::vector<std::shared_ptr<HostDimension>> ModelDimensions(const HostDocument& doc, DimensionKind kind);
std::vector<std::shared_ptr<HostRoughnessSign>> ModelRoughnessSigns(const HostDocument& doc);

// The document file's form of the part model's entities. Encoding fills the
// entity's class, text and data and returns false for other entities.
// Decoding makes the entity of a class of the part model (null for another
// class; false with `error` set for damaged data); linking then binds faces
// and edges to their parts' bodies and sub-parts to their parents.
bool EncodePartModelEntity(const HostObject& obj, std::string& cls, std::string& text, std::string& data);
bool DecodePartModelEntity(std::string_view cls, std::string_view name, std::string_view text, std::string_view data,
                           HostObjectPtr& out, std::string& error);
bool LinkPartModelEntities(const HostDocumentPtr& doc, std::string& error);
}  // namespace zarvento
