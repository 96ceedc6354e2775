#pragma once
// The answers an image-request handler of the application gives: a wait
// object says the picture comes later (it is then pending), an error object
// says there is none. They are compared by identity. The model also keeps
// the last failed image drawing here.
#include <string>

#include "platform/framework/Graphics.h"
#include "platform/framework/Streams.h"

class ThtImage;

TMemoryStream* WaitStream();
TMemoryStream* ErrorStream();
TBitmap* WaitBitmap();
TBitmap* ErrorBitmap();

// The message and image of the last image drawing that failed.
struct ThtDrawError {
    std::string Message;
    const ThtImage* Image = nullptr;
};
ThtDrawError& LastDrawError();
