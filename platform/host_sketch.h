// A sketch of a part document (host entity type 5). Loaders that receive an
// object reference ask for this class the way the host is asked for its
// sketch interface. A sketch holds its lines and arcs (in the sketch's own
// x, y plane) and may hold the source they are built from, which a rebuild
// of the document evaluates again.
#pragma once

#include <string>

#include "platform/document_2d.h"
#include "platform/host_named_object.h"

namespace zarvento {

class HostSketch : public HostNamedObject {
public:
    static constexpr int kObjectType = 5;

    explicit HostSketch(std::string name) : HostNamedObject(kObjectType, std::move(name)) {}

    // The sketch's lines and arcs; saved with the document.
    Document2D& Objects() { return objects_; }
    const Document2D& Objects() const { return objects_; }

    // The parametric text the objects are rebuilt from (empty: the objects
    // are fixed). Its form belongs to whoever registered the rebuild.
    const std::string& Source() const { return source_; }
    void SetSource(std::string source) { source_ = std::move(source); }

    // The editing bracket of the host; counted so callers can check it balances.
    void BeginEdit() { ++editDepth_; }
    void EndEdit() { --editDepth_; }
    int EditDepth() const { return editDepth_; }

private:
    Document2D objects_;
    std::string source_;
    int editDepth_ = 0;
};

}  // namespace zarvento
