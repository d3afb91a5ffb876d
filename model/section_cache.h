// The part's section kept with its document, so that opening a document whose
// body did not change does not read the body and section it again.
#pragma once

#include <memory>

namespace zarvento {

class Contour;
class HostDocument;
class HostPart;

// The section kept for the part's body as it is now, taken in the NC
// coordinate system and with the accuracy of now; null when none is kept or
// the one kept was taken of another body, system or accuracy.
std::unique_ptr<Contour> KeptSection(const HostDocument& document, const HostPart& part);

// Keeps the section with the document (it is saved with it). A section of
// other units than plain lines and arcs tied to the part's own faces and
// edges is not kept, and one kept before is dropped. False when the section
// is no closed profile, which the section always makes (a broken invariant):
// then nothing is kept.
bool KeepSection(HostDocument& document, const HostPart& part, const Contour& section);

// The message of a section that broke an invariant of its own.
inline constexpr const char* kBrokenSectionMessage = "Сечение детали не построено";

}  // namespace zarvento
