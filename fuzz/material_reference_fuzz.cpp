// The materials reference's readers: its text table (then the database made
// of it and every material's properties asked from it, as the server
// answers them), and the localisation texts of the reference's client. The
// first byte of the input chooses which one reads the rest.
#include "catalogs/integrator.h"
#include "catalogs/reference/material_table.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zarvento;
    fuzz::FreshState fresh;
    if (size == 0) return 0;
    const std::string_view rest = fuzz::Text(data + 1, size - 1);
    if (data[0] % 2 == 0) {
        const reference::TableReadResult table = reference::ReadMaterialTable(rest);
        if (!table.error.empty()) return 0;
        std::string error;
        const auto file = fuzz::Scratch() / "materials.db";
        if (!reference::WriteMaterialDatabase(table.materials, file, error)) __builtin_trap();
        const auto db = reference::MaterialDatabase::Open(file, error);
        if (!db) __builtin_trap();
        for (const reference::Material& m : table.materials) {
            if (db->Designation(m.location) != m.designation) __builtin_trap();
            if (db->Properties(m.location).size() != m.properties.size()) __builtin_trap();
        }
    } else {
        Integrator integrator;
        integrator.LoadXmlStrings(fuzz::ScratchFile("texts.xml", rest).string());
        integrator.GetText("fuzz");
    }
    return 0;
}
