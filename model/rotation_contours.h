// The section of a part's faces of rotation about the Z axis of the NC
// coordinate system: the turning-plane contour every operation works on, and
// the stock's contour from a stock model document.
#pragma once

#include <memory>
#include <string>

#include "geometry/contour.h"
#include "platform/documents/host_document.h"

namespace zarvento {

// The messages when the model has no face of rotation about the LSC Z axis:
// for the active document (the part) and for any other (a stock model).
inline constexpr const char* kNoRotationFacesMessage =
    "Деталь не содержит поверхностей вращения, совпадающих с осью Z ЛСК";
inline constexpr const char* kNoStockRotationFacesMessage =
    "Заготовка не содержит поверхностей вращения, совпадающих с осью Z ЛСК";
// The name of the outline object the section makes in the model.
inline constexpr const char* kSectionObjectName = "Контур детали";

// The plan data's error report, through which the section shows its one
// message (the first error of a command only). The plan registers it at
// start-up; without one the message is not shown.
using SectionErrorReport = void (*)(const std::string& text);
SectionErrorReport RegisterSectionErrorReport(SectionErrorReport report);

// A new contour, or null: without an NC coordinate system (no host call at
// all), when the model's section gives nothing, or when no unit lies on a
// face of rotation or an edge in the plane (then the message above goes to
// the registered report and, when given, to `message`). The section by the
// LSC ZX plane on its X >= 0 side is the outer profile of the part: its
// units lie at x <= 0 and keep the face (or edge) and the section curve they
// came from; runs of one curve become one complex unit ("NURBS" on a NURBS
// face). It starts at its smallest z, nearest the axis there, runs clockwise
// (the material on its right) and is closed by a line where its ends do not
// meet. The caller owns it.
std::unique_ptr<Contour> BuildRotationContours(const HostDocumentPtr& document, std::string* message = nullptr);

// Switches the host's model state back on after the section.
void RestoreDocumentAfterSection(const HostDocumentPtr& document);
// Deletes the outline object from the model it was made in and switches that
// model's state back on; nothing when there is none.
void RemoveSectionObject();

}  // namespace zarvento
