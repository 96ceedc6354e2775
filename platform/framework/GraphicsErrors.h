// Exceptions of the framework's graphics classes.
#pragma once

#include "platform/framework/Classes.h"

class EInvalidGraphic : public Exception { using Exception::Exception; };
class EInvalidGraphicOperation : public Exception { using Exception::Exception; };
class EInvalidImage : public Exception { using Exception::Exception; };
class EOutOfMemory : public Exception { using Exception::Exception; };
