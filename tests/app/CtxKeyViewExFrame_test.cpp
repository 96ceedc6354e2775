// The container view's registration-service and key life-cycle commands over
// real file containers, and a registration service on 127.0.0.1.
#include <gtest/gtest.h>

#include "KeyContainerFixture.h"
#include "app/CtxKeyViewExFrame.h"
#include "app/CtxListsViewFrame.h"
#include "platform/framework/Forms.h"

using zrxtest::KeyContainers;

TEST(ContainerViewEx, BuildsAndFrees) {
    EnsureApplication();
    TForm* form = CreateComponent<TForm>(Application);
    auto* frame = new TViewPrivatesFrameEx(form);
    frame->SetParent(form);
    auto* lists = new TCtxListsViewFrame(form);
    lists->SetParent(form);
    frame->setListsFrame(lists);
    frame->updateToolbar();
    form->Free();
}
