// Exceptions of the framework's graphics classes (EInvalidGraphicOperation
// lives with the bitmaps in Graphics.h).
#pragma once

#include "platform/framework/Classes.h"
#include "platform/framework/Graphics.h"

class EInvalidGraphic : public Exception {
    using Exception::Exception;
};
class EInvalidImage : public Exception {
    using Exception::Exception;
};
class EOutOfMemory : public Exception {
    using Exception::Exception;
};
