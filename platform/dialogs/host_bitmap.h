// Bitmaps of the headless host: a bitmap resource loaded by its id gives a
// handle that menus and image lists take. Nothing is drawn, so a bitmap is
// only the resource id it came from.
#pragma once

#include <cstdint>

namespace zarvento {

using BitmapHandle = std::uint32_t;  // 0: no bitmap

// Loads the bitmap resource `resourceId` (a positive id); 0 for any other id.
BitmapHandle LoadHostBitmap(int resourceId);
// Frees it; false when the handle names no bitmap.
bool DeleteHostBitmap(BitmapHandle bitmap);
// The resource id the bitmap was loaded from; 0 when the handle names none.
int HostBitmapResourceId(BitmapHandle bitmap);

}  // namespace zarvento
