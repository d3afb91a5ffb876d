// The objects the materials reference serves to its clients: the reference
// itself, its configuration with the localisation settings it keeps in a
// configuration file, and the information and properties of one material.
//
//   reference      Configuration -> configuration; MaterialInfo(location) -> information or null
//   configuration  Settings -> settings; SetConfigFile(path); Store(flag); ConfigFile
//   settings       Localization -> localisation settings
//   localisation   Folder, ApplicationName, Language: texts, read or set
//   information    Property(id) -> property or null; Designation; Location
//   property       Value1, Value2: texts
#pragma once

#include <memory>
#include <string>

#include "catalogs/reference/material_table.h"
#include "platform/core/automation_object.h"

namespace zarvento::reference {

// The class id under which the reference serves its main object.
inline constexpr const char* kReferenceClassId = "{23FA902B-7F5C-43D0-AB22-AEEE5CF7ED9B}";
inline constexpr const char* kReferenceProgId = "Dedev.MaterialsReference.1";

// The reference's main object over a database; the configuration starts
// without a file (the client names one).
AutomationObjectPtr MakeMaterialsReference(std::shared_ptr<const MaterialDatabase> database);

}  // namespace zarvento::reference
