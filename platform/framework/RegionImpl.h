// The Qt side of TRegion, for platform code that clips or fills with it.
#pragma once

#include <QRegion>

#include "platform/framework/Region.h"

struct TRegion::Impl {
    QRegion r;
};
