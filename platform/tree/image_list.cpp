// The image-list table.
#include "platform/tree/image_list.h"

#include <memory>

#include "platform/core/handle_table.h"
#include "platform/core/process_state.h"

namespace zarvento {

namespace {

HandleTable<ImageList>& Lists() {
    static HandleTable<ImageList> table(0x20000001);
    return table;
}

}  // namespace

ZARVENTO_STATE_RESET { Lists().Clear(); }

ImageListHandle ImageList::Create(int cx, int cy, std::uint32_t flags, int /*initial*/, int /*grow*/) {
    if (cx <= 0 || cy <= 0) return 0;
    auto list = std::make_unique<ImageList>();
    list->cx_ = cx;
    list->cy_ = cy;
    list->flags_ = flags;
    return Lists().Add(std::move(list));
}

bool ImageList::Destroy(ImageListHandle list) { return Lists().Remove(list); }

ImageList* ImageList::FromHandle(ImageListHandle list) { return Lists().Find(list); }

int ImageList::Add(BitmapHandle bitmap, std::uint32_t maskColour) {
    const int id = HostBitmapResourceId(bitmap);
    if (id == 0) return -1;
    images_.push_back(Image{id, maskColour});
    return Count() - 1;
}

int ImageList::ImageResourceId(int index) const {
    return index >= 0 && index < Count() ? images_[static_cast<std::size_t>(index)].resourceId : 0;
}

}  // namespace zarvento
