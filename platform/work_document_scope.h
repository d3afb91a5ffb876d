// WorkDocumentScope: makes the hidden 2D work document the active one for the
// life of the scope and gives the previous document back on every way out,
// a host error included.
#pragma once

#include "platform/document_2d.h"

namespace zarvento {

class WorkDocumentScope {
public:
    // Activates the work document and asks the host to refresh its view.
    WorkDocumentScope();
    ~WorkDocumentScope();
    WorkDocumentScope(const WorkDocumentScope&) = delete;
    WorkDocumentScope& operator=(const WorkDocumentScope&) = delete;

    Document2D& Document() const { return work_; }

private:
    Document2D* previous_;
    Document2D& work_;
};

}  // namespace zarvento
