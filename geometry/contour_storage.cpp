// Contour storage: the user's choice over a contour (selected units with their
// offsets, gap types of the relation matrix) as one document record.
#include <algorithm>
#include <optional>
#include <vector>

#include "geometry/contour.h"
#include "platform/core/host_error.h"
#include "platform/core/interface_transfer.h"
#include "platform/documents/storage_record.h"

namespace zarvento {

namespace {

// Closes every record of this format.
constexpr std::int32_t kRecordEnd = 777;

// The next positional value; Empty once the record has no more.
Variant Next(StorageRecord& record) {
    Variant v;
    record.ReadValue(v);
    return v;
}

}  // namespace

bool Contour::Save(const std::string& recordName) const {
    // Every host query runs before the record is opened: opening replaces the
    // old record, and a query that fails must not leave half a record behind.
    std::vector<Variant> values;
    values.push_back(Variant::I4(Count()));
    values.push_back(Variant::I4(GetSelectedCount()));
    for (const UnitPtr& unit : units_) {
        if (!unit->Selected) continue;
        const HostObjectPtr storable = TransferInterface(unit->GetSourceObject(0), 2, 0);
        values.push_back(Variant::Dispatch(QueryHostInterfaceOrNull(storable, kStoredObjectInterface)));
        values.push_back(Variant::R8(unit->OffsetDistance));
        values.push_back(Variant::R8(unit->StartExtension));
        values.push_back(Variant::R8(unit->EndExtension));
    }
    // Cells past the contour (units removed since the matrix was built) are
    // not written; they come row by row.
    const int n = std::min(Count(), RelationSize());
    std::vector<Variant> cells;
    ForEachRelation([&](int i, int j, int v) {
        if (i >= n || j >= n) return;
        cells.push_back(Variant::I4(i));
        cells.push_back(Variant::I4(j));
        cells.push_back(Variant::I4(v));
    });
    values.push_back(Variant::I4(static_cast<std::int32_t>(cells.size() / 3)));
    values.insert(values.end(), cells.begin(), cells.end());
    values.push_back(Variant::I4(kRecordEnd));
    values.push_back(Variant::I4(kRecordEnd));

    StorageRecord record;
    if (!record.OpenWrite(recordName)) return false;
    for (Variant& v : values) record.AddValue(v);
    return true;
}

bool Contour::Load(const std::string& recordName) {
    StorageRecord record;
    if (!record.OpenRead(recordName)) return false;
    Next(record);  // the unit count of the saved contour: units are matched by object
    const std::int32_t selected = Next(record).ToI4();
    // The index is made for the first stored object: a record that selects
    // nothing needs none.
    std::optional<UnitsByObject> units;
    // A stored count past the record's end stops at the end.
    for (std::int32_t k = 0; k < selected; ++k) {
        const Variant stored = Next(record);
        if (stored.IsEmpty()) break;
        HostObjectPtr object;
        if (stored.Type() == VarType::Dispatch && stored.AsDispatch())
            object = QueryHostInterfaceOrNull(stored.AsDispatch(), kStoredObjectInterface);
        const double offset = Next(record).ToR8();
        const double startExtension = Next(record).ToR8();
        const double endExtension = Next(record).ToR8();
        const HostObjectPtr live = QueryHostInterfaceOrNull(TransferInterface(object, 3, 105), kLiveObjectInterface);
        if (!live) continue;
        if (!units) units.emplace(*this);
        CUnit* unit = units->Find(live);
        if (!unit) continue;  // the object no longer belongs to this contour
        unit->Selected = true;
        unit->OffsetDistance = offset;
        unit->StartExtension = startExtension;
        unit->EndExtension = endExtension;
    }
    const std::int32_t cellCount = Next(record).ToI4();
    CreateRelationMatrix();
    const int n = std::min(Count(), RelationSize());
    for (std::int32_t k = 0; k < cellCount; ++k) {
        std::int32_t cell[3];
        try {
            bool ended = false;
            for (std::int32_t& c : cell) {
                const Variant v = Next(record);
                ended = ended || v.IsEmpty();
                c = v.ToI4();
            }
            if (ended) break;
        } catch (const HostError&) {
            break;  // a value that is no integer ends the cells
        }
        const auto [i, j, value] = cell;
        if (i < 0 || j < 0 || i >= n || j >= n) continue;
        SetRelation(i, j, value);
    }
    Next(record);
    Next(record);
    return true;
}

}  // namespace zarvento
