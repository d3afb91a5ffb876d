// Equidistant: the offset of an open or closed chain of segments and arcs at a
// distance to one side, as exact segments and arcs. Round joins at convex
// corners, trimmed concave corners, loops and vanished arcs removed.
#pragma once

#include <string>
#include <vector>

#include "platform/drawings/curve_2d.h"

namespace zarvento {

struct Object2D;

enum class EquidistantError {
    None,
    EmptyChain,      // nothing to offset
    NonFiniteValue,  // a coordinate, radius or distance is not a finite number
    ZeroLengthUnit,  // a segment or arc without length
    ZeroRadius,      // an arc of radius 0
    ArcOffCircle,    // an arc end point does not lie on its circle
    DisconnectedChain,
    BadSide,
    Vanished,  // the offset at this distance leaves nothing
    Internal,  // an invariant of the offset broke (a fault of ours)
};

// English text of an error, for logs and test output.
const char* EquidistantErrorText(EquidistantError error);

struct EquidistantChain {
    std::vector<Curve2D> pieces;
    bool closed = false;
};

struct EquidistantResult {
    EquidistantError error = EquidistantError::None;
    std::string message;
    // Each chain is continuous; a closed source gives closed chains. The
    // first chain is the one nearest the start of the source.
    std::vector<EquidistantChain> chains;
};

class Equidistant {
public:
    // Takes the pieces in travel order (each starting where the one before ends;
    // a piece drawn the other way round is turned) and checks them. An arc's
    // start angle and sweep must lead to its end points.
    explicit Equidistant(std::vector<Curve2D> chain);
    // The same from 2D document objects: lines, arcs, circles and polylines;
    // other types are ignored.
    static Equidistant FromObjects(const std::vector<const Object2D*>& objects);

    EquidistantError Error() const { return error_; }
    const std::string& Message() const { return message_; }
    bool Closed() const { return closed_; }
    const std::vector<Curve2D>& Source() const { return chain_; }

    // Offset at `distance` to the left of the direction of travel; a negative
    // distance offsets to the right. Distance 0 returns the chain itself.
    EquidistantResult Execute(double distance) const;

private:
    Equidistant() = default;
    void Fail(EquidistantError error, std::string message);
    void Check(double scale);

    std::vector<Curve2D> chain_;
    bool closed_ = false;
    double linkTol_ = 0;  // ends closer than this count as one point
    double geomTol_ = 0;  // crossing and splitting tolerance
    EquidistantError error_ = EquidistantError::None;
    std::string message_;
};

}  // namespace zarvento
