// The bitmap table.
#include "platform/dialogs/host_bitmap.h"

#include <memory>

#include "platform/core/handle_table.h"
#include "platform/core/process_state.h"

namespace zarvento {

namespace {

struct Bitmap {
    int resourceId;
};

HandleTable<Bitmap>& Bitmaps() {
    static HandleTable<Bitmap> table(0x30000001);
    return table;
}

}  // namespace

ZARVENTO_STATE_RESET { Bitmaps().Clear(); }

BitmapHandle LoadHostBitmap(int resourceId) {
    if (resourceId <= 0) return 0;
    return Bitmaps().Add(std::make_unique<Bitmap>(Bitmap{resourceId}));
}

bool DeleteHostBitmap(BitmapHandle bitmap) { return Bitmaps().Remove(bitmap); }

int HostBitmapResourceId(BitmapHandle bitmap) {
    const Bitmap* b = Bitmaps().Find(bitmap);
    return b ? b->resourceId : 0;
}

}  // namespace zarvento
