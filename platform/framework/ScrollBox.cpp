#include "platform/framework/ScrollBox.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

struct TScrollBox::Impl {
    QScrollArea* area = nullptr;
    QWidget* content = nullptr;
};

IMPLEMENT_CLASS(TScrollBox, TWinControl) {
    r.Enum("Align", AlignInfo, &TScrollBox::Align, &TScrollBox::SetAlign);
    r.Boolean("AutoScroll", &TScrollBox::AutoScroll, &TScrollBox::SetAutoScroll);
    r.Boolean("DoubleBuffered", &TScrollBox::DoubleBuffered, &TScrollBox::SetDoubleBuffered);
}

TScrollBox::TScrollBox(TComponent* AOwner) : TWinControl(AOwner), FImpl(new Impl) {
    FImpl->area = new QScrollArea;
    FImpl->content = new QWidget;
    FImpl->area->setWidgetResizable(false);
    FImpl->area->setWidget(FImpl->content);
    FImpl->area->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    FImpl->area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FImpl->area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FWidth = 185;
    FHeight = 41;
    SetWidget(FImpl->area);
    UpdateScrollRange();
}

TScrollBox::~TScrollBox() {
    Destroying();
    delete FImpl;
    FImpl = nullptr;
}

QWidget* TScrollBox::ClientWidget() const { return FImpl ? FImpl->content : Handle(); }

int TScrollBox::frame() const { return FImpl && FImpl->area ? FImpl->area->frameWidth() : 0; }

int TScrollBox::barExtent() const { return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent); }

void TScrollBox::SetBorderSingle(bool v) {
    FBorderSingle = v;
    FImpl->area->setFrameStyle(v ? (QFrame::StyledPanel | QFrame::Sunken) : QFrame::NoFrame);
    UpdateScrollRange();
}

void TScrollBox::SetAutoScroll(bool v) {
    FAutoScroll = v;
    UpdateScrollRange();
}

int TScrollBox::VertScrollRange() const {
    int r = 0;
    for (int i = 0; i < ControlCount(); ++i)
        if (TControl* c = Controls(i); c->Visible() && c->Align() != alClient && c->Align() != alBottom)
            r = std::max(r, c->Top() + c->Height());
    return r;
}

int TScrollBox::HorzScrollRange() const {
    int r = 0;
    for (int i = 0; i < ControlCount(); ++i)
        if (TControl* c = Controls(i); c->Visible() && c->Align() == alNone) r = std::max(r, c->Left() + c->Width());
    return r;
}

bool TScrollBox::VertScrollBarVisible() const {
    if (!FAutoScroll) return false;
    int inner = FHeight - 2 * frame();
    if (VertScrollRange() > inner) return true;
    // A horizontal bar takes room from the height.
    return HorzScrollRange() > FWidth - 2 * frame() && VertScrollRange() > inner - barExtent();
}

bool TScrollBox::HorzScrollBarVisible() const {
    if (!FAutoScroll) return false;
    int inner = FWidth - 2 * frame() - (VertScrollBarVisible() ? barExtent() : 0);
    return HorzScrollRange() > inner;
}

int TScrollBox::ClientWidth() const {
    return std::max(0, FWidth - 2 * frame() - (VertScrollBarVisible() ? barExtent() : 0));
}

int TScrollBox::ClientHeight() const {
    return std::max(0, FHeight - 2 * frame() - (HorzScrollBarVisible() ? barExtent() : 0));
}

int TScrollBox::VertScrollPosition() const { return FImpl->area->verticalScrollBar()->value(); }
void TScrollBox::SetVertScrollPosition(int v) { FImpl->area->verticalScrollBar()->setValue(v); }

void TScrollBox::UpdateScrollRange() {
    if (!FImpl || FUpdating) return;
    FUpdating = true;
    bool v = VertScrollBarVisible(), h = HorzScrollBarVisible();
    FImpl->area->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    FImpl->area->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    FImpl->content->resize(std::max(ClientWidth(), HorzScrollRange()), std::max(ClientHeight(), VertScrollRange()));
    FUpdating = false;
}

void TScrollBox::ScrollInView(TControl* c) {
    if (c && c->Parent() == this)
        FImpl->area->ensureVisible(c->Left(), c->Top() + c->Height() / 2, 0, c->Height() / 2 + 2);
}

void TScrollBox::AlignControls() {
    TWinControl::AlignControls();
    UpdateScrollRange();
}

void TScrollBox::Resize() {
    UpdateScrollRange();
    TWinControl::Resize();
}
