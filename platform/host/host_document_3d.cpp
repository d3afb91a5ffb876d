// The 3D side of the headless host's part and assembly documents.
#include "platform/host/host_document_3d.h"

#include "platform/core/host_faults.h"

namespace zarvento {

HostDocument3D* HostDocument::Document3D() {
    if (closed_) throw HostError(E_POINTER_, "the document is closed");
    if (type_ == DocumentType::Drawing2D) return nullptr;
    if (!document3D_) document3D_ = std::make_shared<HostDocument3D>(*this);
    return document3D_.get();
}

HostDocument3D& Procedural3D(const HostDocumentPtr& document) {
    HostFaults::Check("Document.Procedural3D");
    HostDocument3D* d3 = document ? document->Document3D() : nullptr;
    if (!d3) throw HostError(E_POINTER_, "no 3D document");
    return *d3;
}

HostDocument3D::HostDocument3D(HostDocument& document) : document_(document) {}

void HostDocument3D::Check(const char* call) const {
    HostFaults::Check(call);
    if (document_.Closed()) throw HostError(E_POINTER_, "the document is closed");
}

PickCollection& HostDocument3D::Picks() {
    Check("Document3D.PickCollection");
    return picks_;
}

PickCollection& HostDocument3D::SecondHighlights() {
    Check("Document3D.HighlightCollection");
    return highlights_;
}

const std::shared_ptr<SelectionManager>& HostDocument3D::Selection() {
    Check("Document3D.SelectionManager");
    return selection_;
}

std::shared_ptr<PickProcess> HostDocument3D::CreatePickProcess(int argument) {
    Check("Document3D.CreateProcess");
    if (argument != 0) throw HostError(E_INVALIDARG_, "process kind " + std::to_string(argument));
    process_ = std::make_shared<PickProcess>();
    return process_;
}

void HostDocument3D::RunProcess(int argument) {
    Check("Document3D.RunProcess");
    if (argument != 0) throw HostError(E_INVALIDARG_, "process run " + std::to_string(argument));
    if (!process_) throw HostError(E_POINTER_, "no process to run");
    // The run may end in a new process being made; this one runs to its end.
    const std::shared_ptr<PickProcess> process = process_;
    process->Run();
}

std::vector<HostObjectPtr> HostDocument3D::TopPartEntities(int objectType) const {
    Check("Part.EntityCollection");
    return document_.ObjectsOfType(objectType);
}

}  // namespace zarvento
