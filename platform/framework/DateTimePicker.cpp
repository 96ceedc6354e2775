#include "platform/framework/DateTimePicker.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QHBoxLayout>

#include <cmath>

#include "platform/framework/QtBridge.h"
#include "platform/framework/QtInternals.h"

const TEnumInfo DateTimeKindInfo{"TDateTimeKind", {"dtkDate", "dtkTime"}};
const TEnumInfo DTCalAlignmentInfo{"TDTCalAlignment", {"dtaLeft", "dtaRight"}};

namespace {
QDateTime toQDateTime(TDateTime v) {
    int y, m, d, h, mi, s, ms;
    DecodeDate(v, y, m, d);
    DecodeTime(v, h, mi, s, ms);
    return QDateTime(QDate(y, m, d), QTime(h, mi, s, ms));
}
TDateTime fromQDateTime(const QDateTime& q) {
    QDate d = q.date();
    QTime t = q.time();
    return EncodeDate(d.year(), d.month(), d.day()) + EncodeTime(t.hour(), t.minute(), t.second(), t.msec());
}

// Tells the picker when its calendar opens and closes.
class CalendarWatch : public QObject {
public:
    explicit CalendarWatch(std::function<void(bool)> fn) : FFn(std::move(fn)) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Show) FFn(true);
        else if (e->type() == QEvent::Hide) FFn(false);
        return false;
    }
    std::function<void(bool)> FFn;
};
}  // namespace

struct TDateTimePicker::Impl {
    QCheckBox* check = nullptr;
    QDateTimeEdit* edit = nullptr;
    bool dropped = false;
};

IMPLEMENT_CLASS(TDateTimePicker, TWinControl) {
    r.Enum("CalAlignment", DTCalAlignmentInfo, &TDateTimePicker::CalAlignment, &TDateTimePicker::SetCalAlignment);
    r.Boolean("Checked", &TDateTimePicker::Checked, &TDateTimePicker::SetChecked);
    r.Enum("Kind", DateTimeKindInfo, &TDateTimePicker::Kind, &TDateTimePicker::SetKind);
    r.Boolean("ShowCheckbox", &TDateTimePicker::ShowCheckbox, &TDateTimePicker::SetShowCheckbox);
}

TDateTimePicker::TDateTimePicker(TComponent* AOwner) : TWinControl(AOwner), FImpl(new Impl) {
    auto* box = new QWidget;
    auto* lay = new QHBoxLayout(box);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(2);
    FImpl->check = new QCheckBox(box);
    FImpl->check->setChecked(true);
    FImpl->check->setVisible(false);
    FImpl->check->setFocusPolicy(Qt::NoFocus);
    FImpl->edit = new QDateTimeEdit(box);
    FImpl->edit->setCalendarPopup(true);
    FImpl->edit->setTimeSpec(Qt::LocalTime);
    FImpl->edit->setMinimumDateTime(QDateTime(QDate(100, 1, 1), QTime(0, 0)));
    lay->addWidget(FImpl->check);
    lay->addWidget(FImpl->edit, 1);
    box->setFocusProxy(FImpl->edit);
    FWidth = 186;
    FHeight = 21;
    FClickOnRelease = false;
    SetWidget(box);
    SetTabStop(true);
    FDateTime = EncodeDate(2000, 1, 1);
    SetKind(dtkDate);
    QObject::connect(FImpl->edit, &QDateTimeEdit::dateTimeChanged, FImpl->edit, [this](const QDateTime& q) {
        if (FSetting) return;
        dispatchGuarded(this, [this, q] {
            TDateTime v = fromQDateTime(q);
            FDateTime = FKind == dtkDate ? v + TimeOf(FDateTime) - TimeOf(v) : DateOf(FDateTime) + TimeOf(v);
            if (OnChange) OnChange(this);
        });
    });
    QObject::connect(FImpl->check, &QCheckBox::toggled, FImpl->check, [this](bool on) {
        if (FSetting) return;
        dispatchGuarded(this, [this, on] {
            FChecked = on;
            FImpl->edit->setEnabled(Enabled() && on);
            Click();
        });
    });
    if (QCalendarWidget* cal = FImpl->edit->calendarWidget()) {
        auto* watch = new CalendarWatch([this](bool shown) {
            FImpl->dropped = shown;
            dispatchGuarded(this, [this, shown] {
                if (shown && OnDropDown) OnDropDown(this);
                if (!shown && OnCloseUp) OnCloseUp(this);
            });
        });
        watch->setParent(cal);
        cal->window()->installEventFilter(watch);
    }
}

TDateTimePicker::~TDateTimePicker() {
    // The widgets outlive this part of the object: they must not call back.
    if (Handle()) {
        FImpl->edit->blockSignals(true);
        FImpl->check->blockSignals(true);
    }
    delete FImpl;
}

QWidget* TDateTimePicker::FieldWidget() const { return FImpl->edit; }

bool TDateTimePicker::DroppedDown() const { return FImpl->dropped; }

void TDateTimePicker::SetKind(TDateTimeKind v) {
    FKind = v;
    FSetting = true;
    if (v == dtkDate) {
        FImpl->edit->setDisplayFormat("dd.MM.yyyy");
        FImpl->edit->setCalendarPopup(true);
    } else {
        FImpl->edit->setDisplayFormat("HH:mm:ss");
        FImpl->edit->setCalendarPopup(false);
    }
    FSetting = false;
    applyRange();
    showValue();
}

void TDateTimePicker::showValue() {
    FSetting = true;
    if (FBlank) {
        // The field's text for its lowest value stands in for any value.
        FImpl->edit->setSpecialValueText(" ");
        FImpl->edit->setDateTime(FImpl->edit->minimumDateTime());
    } else {
        FImpl->edit->setSpecialValueText(QString());
        FImpl->edit->setDateTime(toQDateTime(FDateTime));
    }
    FSetting = false;
}

void TDateTimePicker::SetBlank(bool v) {
    if (v == FBlank) return;
    FBlank = v;
    showValue();
}

void TDateTimePicker::applyRange() {
    FSetting = true;
    // Limits hold for the date; the time field keeps its whole day.
    QDateTime lo(QDate(100, 1, 1), QTime(0, 0)), hi(QDate(9999, 12, 31), QTime(23, 59, 59, 999));
    if (FKind == dtkDate) {
        if (FMinDate != 0) lo = QDateTime(toQDateTime(FMinDate).date(), QTime(0, 0));
        if (FMaxDate != 0) hi = QDateTime(toQDateTime(FMaxDate).date(), QTime(23, 59, 59, 999));
    }
    FImpl->edit->setDateTimeRange(lo, hi);
    FSetting = false;
}

void TDateTimePicker::SetDateTime(TDateTime v) {
    if (FKind == dtkDate) {
        // The framework refuses a date outside the limits.
        if (FMinDate != 0 && DateOf(v) < DateOf(FMinDate)) throw EConvertError("Date is less than minimum");
        if (FMaxDate != 0 && DateOf(v) > DateOf(FMaxDate)) throw EConvertError("Date exceeds maximum");
    }
    FDateTime = v;
    showValue();
}

void TDateTimePicker::SetDate(TDateTime v) { SetDateTime(DateOf(v) + TimeOf(FDateTime)); }
void TDateTimePicker::SetTime(TDateTime v) { SetDateTime(DateOf(FDateTime) + TimeOf(v)); }

void TDateTimePicker::SetMinDate(TDateTime v) {
    FMinDate = v;
    applyRange();
    showValue();
}
void TDateTimePicker::SetMaxDate(TDateTime v) {
    FMaxDate = v;
    applyRange();
    showValue();
}

void TDateTimePicker::SetShowCheckbox(bool v) {
    FShowCheckbox = v;
    FImpl->check->setVisible(v);
    SetEnabledImpl();
}

void TDateTimePicker::SetChecked(bool v) {
    FChecked = v;
    FSetting = true;
    FImpl->check->setChecked(v);
    FSetting = false;
    SetEnabledImpl();
}

void TDateTimePicker::SetEnabledImpl() { FImpl->edit->setEnabled(!FShowCheckbox || FChecked); }

void TDateTimePicker::ApplyColor() {
    QPalette pal = FImpl->edit->palette();
    pal.setColor(QPalette::Base, toQColor(Color()));
    FImpl->edit->setPalette(pal);
}
