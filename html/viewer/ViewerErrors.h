#pragma once
// The viewer's exceptions. Their texts are translated where they are raised.
#include "platform/framework/Classes.h"

class EhtException : public Exception {
    using Exception::Exception;
};
// A document that cannot be found or read.
class EhtLoadError : public EhtException {
    using EhtException::EhtException;
};
// A page too large to lay out or print.
class EExcessiveSizeError : public EhtException {
    using EhtException::EhtException;
};
class EIllegalArgument : public EhtException {
    using EhtException::EhtException;
};
