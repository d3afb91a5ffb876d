// Image lists of the headless host: numbered images of one size that a tree
// view or a toolbar shows beside its items. An image is the bitmap resource it
// was added from; its index is its position in the list.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/dialogs/host_bitmap.h"

namespace zarvento {

using ImageListHandle = std::uint32_t;  // 0: no image list

class ImageList {
public:
    // A new list of images cx by cy pixels with the creation flags (colour
    // depth, mask); the initial size and growth are storage hints the list
    // does not need. Returns 0 for a size that is not positive.
    static ImageListHandle Create(int cx, int cy, std::uint32_t flags, int initial, int grow);
    // Frees the list; false when the handle names none.
    static bool Destroy(ImageListHandle list);
    static ImageList* FromHandle(ImageListHandle list);

    // Appends the bitmap's image, masked by `maskColour` (0x00BBGGRR); the
    // new image's index, or -1 when the handle names no bitmap.
    int Add(BitmapHandle bitmap, std::uint32_t maskColour);
    int Count() const { return static_cast<int>(images_.size()); }
    // The resource id of image `index`; 0 outside the list.
    int ImageResourceId(int index) const;
    int Width() const { return cx_; }
    int Height() const { return cy_; }
    std::uint32_t Flags() const { return flags_; }

private:
    struct Image {
        int resourceId;
        std::uint32_t mask;
    };
    int cx_ = 0, cy_ = 0;
    std::uint32_t flags_ = 0;
    std::vector<Image> images_;
};

}  // namespace zarvento
