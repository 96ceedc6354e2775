#pragma once
// Pictures handed to a viewer while it was busy, waiting for its
// image-insertion timer.
#include <memory>
#include <string>

#include "html/layout/Images.h"
#include "platform/framework/Graphics.h"
#include "platform/framework/Streams.h"

struct ThvInsertedImage {
    ThvInsertedImage() = default;
    ThvInsertedImage(const ThvInsertedImage&) = delete;
    ThvInsertedImage& operator=(const ThvInsertedImage&) = delete;
    // An owned bitmap that never reached the document goes with the entry.
    ~ThvInsertedImage() {
        if (Bitmap && Bitmap->OwnsBitmap) delete Bitmap->Bitmap;
    }

    std::u16string Src;
    // A copy of the inserted stream (none: an insertion without a picture).
    std::unique_ptr<TMemoryStream> Stream;
    // An inserted bitmap instead of a stream.
    std::unique_ptr<ThtBitmapToInsert> Bitmap;
};
