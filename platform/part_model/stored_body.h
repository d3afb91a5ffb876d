// What the host keeps of a body without the modelling module: its stored form
// and what is known of it, and the faces and edges of a body read back from a
// document file, bound to their geometry only when first asked about. The
// body itself (Open CASCADE's shape) is the module's: the host holds it
// without knowing its type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/part_model.h"
#include "platform/part_shape.h"

class TopoDS_Shape;

namespace zarvento {

// A body never changes, so what is found of it is found once, when first asked.
struct PartShape::Impl {
    // The body; one read from a file is read from its stored form when it is
    // first asked for (raising HostError STG_E_DOCFILECORRUPT for bytes that
    // are no body). The modelling module's only.
    const TopoDS_Shape& Shape() const;

    // Null until the body is made or read.
    mutable std::shared_ptr<const TopoDS_Shape> shape;
    // The stored form (binary BREP): the bytes the body was read from, or
    // those it was first written as, so that every save writes the same
    // bytes and their checksum keys the results derived from the body.
    mutable std::optional<std::string> stored;
    mutable std::optional<std::uint64_t> checksum;
    mutable std::optional<double> volume;
};

// The geometry of the faces and edges of a body read back from a document
// file, made for all of them (the body read, its faces and edges mapped) when
// the first of them is asked about. The file's count of faces and edges must
// be the body's; HostError(STG_E_DOCFILECORRUPT) names the part when not.
struct StoredBodyParts {
    PartShape body;
    std::string partName;
    std::size_t faceCount = 0, edgeCount = 0;
    // The modelling module's only.
    void Make() const;
    mutable std::shared_ptr<const std::vector<HostFace::Geometry>> faces;
    mutable std::shared_ptr<const std::vector<HostEdge::Geometry>> edges;
};

}  // namespace zarvento
