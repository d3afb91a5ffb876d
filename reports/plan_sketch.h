// The sketch of the whole plan, and the document set of a plan's sketches.
#pragma once

#include <string>

namespace zarvento {

class CPLAN;

// The plan sketch: the stock, the hatched finished section, the machined
// surfaces with their dimensions, the table of the turret's tools, a picture
// of the part, its file name and the roughness mark. An empty name leaves the
// drawing open; otherwise it is saved there and closed.
void CreatePlanDocument(const std::string& fileName);

// The folder of a document set: the chosen path without the extension of
// its file name (a dot in a folder name stays).
std::string DocumentSetFolder(const std::string& chosenPath);
// Asks for a file name and writes the plan sketch "Эскиз 0.rdd" and the
// sketch of every operation "Эскиз <n>.rdd" into its folder.
void CreateDocumentSet(CPLAN& plan);

}  // namespace zarvento
