// Whether every button a tool bar shows has a picture of its own.
#pragma once

#include <gtest/gtest.h>

#include <QImage>

#include "platform/framework/ComCtrls.h"
#include "platform/framework/ImgList.h"

namespace zrxtest {

// The picture at index i of the list has something drawn in it.
inline bool pictureDrawn(const TCustomImageList* list, int i) {
    const QImage* img = list ? list->Image(i) : nullptr;
    if (!img) return false;
    for (int y = 0; y < img->height(); ++y)
        for (int x = 0; x < img->width(); ++x)
            if (qAlpha(img->pixel(x, y)) != 0) return true;
    return false;
}

inline void expectEveryButtonPictured(TToolBar* bar) {
    for (int i = 0; i < bar->ButtonCount(); ++i) {
        TToolButton* b = bar->Buttons(i);
        if (!b->Visible() || b->IsSeparator()) continue;
        SCOPED_TRACE(b->Caption());
        EXPECT_TRUE(pictureDrawn(bar->Images(), b->ImageIndex())) << "picture " << b->ImageIndex();
        if (bar->DisabledImages()) {
            EXPECT_TRUE(pictureDrawn(bar->DisabledImages(), b->ImageIndex())) << "greyed picture " << b->ImageIndex();
        }
    }
}

}  // namespace zrxtest
