#include "platform/framework/ScrollBar.h"

#include <QApplication>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <climits>

#include "platform/framework/Forms.h"
#include "platform/framework/QtInternals.h"
#include "platform/runtime/Translation.h"

const TEnumInfo ScrollBarKindInfo{"TScrollBarKind", {"sbHorizontal", "sbVertical"}};

int SystemScrollBarWidth() {
    EnsureApplication();
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

IMPLEMENT_CLASS(TScrollBar, TWinControl) {
    r.Enum("Kind", ScrollBarKindInfo, &TScrollBar::Kind, &TScrollBar::SetKind);
    r.Integer("LargeChange", &TScrollBar::LargeChange, &TScrollBar::SetLargeChange);
    r.Integer("Max", &TScrollBar::Max, &TScrollBar::SetMax);
    r.Integer("Min", &TScrollBar::Min, &TScrollBar::SetMin);
    r.Integer("PageSize", &TScrollBar::PageSize, &TScrollBar::SetPageSize);
    r.Integer("Position", &TScrollBar::Position, &TScrollBar::SetPosition);
    r.Integer("SmallChange", &TScrollBar::SmallChange, &TScrollBar::SetSmallChange);
}

TScrollBar::TScrollBar(TComponent* AOwner) : TWinControl(AOwner) {
    auto* b = new QScrollBar(Qt::Horizontal);
    FWidth = 121;
    FHeight = SystemScrollBarWidth();
    SetWidget(b);
    SetTabStop(true);
    b->setFocusPolicy(Qt::StrongFocus);
    apply();
    // Qt asks before it moves: the new position goes through OnScroll first.
    QObject::connect(b, &QAbstractSlider::actionTriggered, b,
                     [this](int action) { dispatchGuarded(this, [this, action] { userScroll(action); }); });
    QObject::connect(b, &QAbstractSlider::valueChanged, b, [this](int v) {
        if (FApplying || v == FPosition) return;
        FPosition = v;
        dispatchGuarded(this, [this] { Change(); });
    });
    QObject::connect(b, &QAbstractSlider::sliderReleased, b, [this] {
        dispatchGuarded(this, [this] {
            int pos = FPosition;
            Scroll(scPosition, pos);
            SetPosition(pos);
            pos = FPosition;
            Scroll(scEndScroll, pos);
        });
    });
}

void TScrollBar::SetKind(TScrollBarKind v) {
    if (v == FKind) return;
    FKind = v;
    if (auto* b = static_cast<QScrollBar*>(Handle()))
        b->setOrientation(v == sbVertical ? Qt::Vertical : Qt::Horizontal);
    SetBounds(Left(), Top(), Height(), Width());  // the bar turns round
}

int TScrollBar::lastPosition() const { return FPageSize > 0 ? std::max(FMin, FMax - FPageSize + 1) : FMax; }

int TScrollBar::clampPosition(long long v) const { return int(std::clamp<long long>(v, FMin, lastPosition())); }

void TScrollBar::SetPageSize(int v) {
    if (v == FPageSize || v < 0 || v > FMax) return;
    FPageSize = v;
    apply();
    SetParams(FPosition, FMin, FMax);
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
    if (AMax < AMin || AMax < FPageSize)
        throw EInvalidOperation(zrnTranslateString("Scroll bar property out of range").str());
    const bool range = AMin != FMin || AMax != FMax;
    FMin = AMin;
    FMax = AMax;
    const int pos = clampPosition(APosition);
    const bool moved = pos != FPosition;
    FPosition = pos;
    if (range || moved) apply();
    if (moved) Change();
}

// The range in Qt's terms, converted here alone: Qt's maximum is the last
// position, its page step the page (the thumb's size).
void TScrollBar::apply() {
    auto* b = static_cast<QScrollBar*>(Handle());
    if (!b) return;
    ++FApplying;
    b->setRange(FMin, lastPosition());
    b->setPageStep(FPageSize > 0 ? FPageSize : std::max(FLargeChange, 1));
    b->setSingleStep(std::max(FSmallChange, 1));
    b->setValue(FPosition);
    --FApplying;
}

void TScrollBar::userScroll(int action) {
    auto* b = static_cast<QScrollBar*>(Handle());
    if (!b) return;
    TScrollCode code;
    long long pos = FPosition;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        code = scLineUp;
        pos -= FSmallChange;
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        code = scLineDown;
        pos += FSmallChange;
        break;
    case QAbstractSlider::SliderPageStepSub:
        code = scPageUp;
        pos -= FLargeChange;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        code = scPageDown;
        pos += FLargeChange;
        break;
    case QAbstractSlider::SliderToMinimum:
        code = scTop;
        pos = FMin;
        break;
    case QAbstractSlider::SliderToMaximum:
        code = scBottom;
        pos = FMax;
        break;
    case QAbstractSlider::SliderMove:
        code = scTrack;
        pos = b->sliderPosition();
        break;
    default: return;
    }
    int scrollPos = clampPosition(pos);
    Scroll(code, scrollPos);
    // Qt takes the slider position as the new value once this returns.
    b->setSliderPosition(clampPosition(scrollPos));
}

void TScrollBar::Scroll(TScrollCode ScrollCode, int& ScrollPos) {
    if (OnScroll) OnScroll(this, ScrollCode, ScrollPos);
}

void TScrollBar::Change() { fire(OnChange, this); }
