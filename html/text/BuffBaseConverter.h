#pragma once
// The common parent of the converters that decode through a per-code-page
// decoder of their own (the generic single-byte one and the multi-byte family).
#include "html/text/BuffConverter.h"

class TBuffBaseConverter : public TBuffConverter {};
