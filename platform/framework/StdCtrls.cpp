#include "platform/framework/StdCtrls.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>
#include <QRadioButton>
#include <QTextCursor>

#include <algorithm>

#include "platform/framework/Forms.h"
#include "platform/framework/QtBridge.h"
#include "platform/framework/QtInternals.h"
#include "platform/framework/ScrollBar.h"

const TEnumInfo TextLayoutInfo{"TTextLayout", {"tlTop", "tlCenter", "tlBottom"}};
const TEnumInfo EditCharCaseInfo{"TEditCharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"}};
const TEnumInfo CheckBoxStateInfo{"TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"}};
const TEnumInfo ComboBoxStyleInfo{
    "TComboBoxStyle", {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"}};

int Utf8Length(const String& s) {
    int n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

// Runs a Qt signal's handler like any other event of the framework.
template <class F> static auto guarded(TObject* sender, F f) {
    return [sender, f](auto&&...) { dispatchGuarded(sender, f); };
}

// Edit fields and lists show Color as the background of their text area.
static void applyFieldColor(TControl* c) {
    QWidget* w = c->Handle();
    if (!w) return;
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, toQColor(c->Color()));
    w->setPalette(pal);
}

// The part of a list's or memo's area inside its frame and the scroll bars
// it always shows (the viewport's own size lags while the control is hidden).
static QSize scrollAreaClientSize(const TControl* c) {
    auto* a = static_cast<QAbstractScrollArea*>(c->Handle());
    if (!a) return QSize(c->Width(), c->Height());
    a->ensurePolished();
    const int frame = 2 * a->frameWidth();
    const int bar = SystemScrollBarWidth();
    const int w = c->Width() - frame - (a->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn ? bar : 0);
    const int h = c->Height() - frame - (a->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn ? bar : 0);
    return QSize(std::max(0, w), std::max(0, h));
}

// Items kept inside a Qt widget: the index errors and the sorted insertion
// the combo box and the list box share.
class WidgetStrings : public TStrings {
protected:
    [[noreturn]] static void outOfBounds(int i) {
        throw EStringListError("List index out of bounds (" + std::to_string(i) + ")");
    }
    // Inserts after every item that sorts before or equal to `s` (no regard to case).
    int insertSorted(const String& s) {
        int i = 0, n = Count();
        while (i < n && CompareText(Get(i), s) <= 0) ++i;
        Insert(i, s);
        return i;
    }
};

// ---- TLabel

IMPLEMENT_CLASS(TLabel, TControl) {
    r.Enum("Alignment", AlignmentInfo, &TLabel::Alignment, &TLabel::SetAlignment);
    r.Boolean("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize);
    r.Str("Caption", &TLabel::GetText, &TLabel::SetText);
    r.Object<TWinControl>("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl);
    r.Enum("Layout", TextLayoutInfo, &TLabel::Layout, &TLabel::SetLayout);
    r.Boolean("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar);
    r.Boolean("Transparent", &TLabel::Transparent, &TLabel::SetTransparent);
    r.Boolean("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap);
}

TLabel::TLabel(TComponent* AOwner) : TControl(AOwner) {
    auto* l = new QLabel;
    l->setTextFormat(Qt::PlainText);  // text from outside is never rich text
    l->setFocusPolicy(Qt::NoFocus);
    FWidth = 65;
    FHeight = 13;
    SetWidget(l);
    ApplyAlignment();
}

void TLabel::ApplyText() {
    if (auto* l = static_cast<QLabel*>(Handle())) {
        // '&' marks the accelerator; "&&" is a literal '&'.
        QString t = toQ(FText);
        QString shown;
        for (qsizetype i = 0; i < t.size(); ++i) {
            if (FShowAccelChar && t[i] == '&' && i + 1 < t.size()) {
                ++i;
                shown += t[i];
                continue;
            }
            shown += t[i];
        }
        l->setText(shown);
    }
    Fit();
}

void TLabel::SetShowAccelChar(bool v) {
    FShowAccelChar = v;
    ApplyText();
}

void TLabel::ApplyFont() {
    TControl::ApplyFont();
    Fit();
}

void TLabel::Fit() {
    auto* l = static_cast<QLabel*>(Handle());
    if (!l || !FAutoSize) return;
    QFontMetrics fm(l->font());
    if (FWordWrap) {
        QRect r = fm.boundingRect(QRect(0, 0, std::max(FWidth, 1), 100000), Qt::TextWordWrap, l->text());
        SetBounds(FLeft, FTop, FWidth, std::max(r.height(), fm.height()));
    } else {
        QSize sz = fm.size(0, l->text());
        SetBounds(FLeft, FTop, std::max(sz.width(), 1), std::max(sz.height(), fm.height()));
    }
}

void TLabel::SetAutoSize(bool v) {
    FAutoSize = v;
    Fit();
}
void TLabel::SetWordWrap(bool v) {
    FWordWrap = v;
    if (auto* l = static_cast<QLabel*>(Handle())) l->setWordWrap(v);
    Fit();
}
void TLabel::SetAlignment(TAlignment v) {
    FAlignment = v;
    ApplyAlignment();
}
void TLabel::SetLayout(TTextLayout v) {
    FLayout = v;
    ApplyAlignment();
}
void TLabel::ApplyAlignment() {
    auto* l = static_cast<QLabel*>(Handle());
    if (!l) return;
    Qt::Alignment a = FAlignment == taCenter         ? Qt::AlignHCenter
                      : FAlignment == taRightJustify ? Qt::AlignRight
                                                     : Qt::AlignLeft;
    a |= FLayout == tlCenter ? Qt::AlignVCenter : FLayout == tlBottom ? Qt::AlignBottom : Qt::AlignTop;
    l->setAlignment(a);
}
void TLabel::SetFocusControl(TWinControl* c) {
    if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
    FFocusControl = c;
    if (c) c->FreeNotification(this);
    if (auto* l = static_cast<QLabel*>(Handle())) l->setBuddy(c ? c->Handle() : nullptr);
}
void TLabel::Notification(TComponent* AComponent, TOperation Operation) {
    TControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

// ---- TButton

IMPLEMENT_CLASS(TButton, TWinControl) {
    r.Object<TBasicAction>("Action", &TButton::Action, &TButton::SetAction);
    r.Boolean("Cancel", &TButton::Cancel, &TButton::SetCancel);
    r.Str("Caption", &TButton::GetText, &TButton::SetText);
    r.Boolean("Default", &TButton::Default, &TButton::SetDefault);
    r.Integer("ModalResult", &TButton::ModalResult, &TButton::SetModalResult);
}

int TButton::FitWidth() const {
    auto* b = static_cast<QPushButton*>(Handle());
    if (!b) return FWidth;
    b->ensurePolished();
    return b->sizeHint().width();
}

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
    auto* b = new QPushButton;
    b->setAutoDefault(false);
    FClickOnRelease = false;
    FWidth = 75;
    FHeight = 25;
    SetWidget(b);
    SetTabStop(true);
    QObject::connect(b, &QPushButton::clicked, b, guarded(this, [this] { Click(); }));
}

void TButton::Click() {
    if (FModalResult != mrNone)
        if (TCustomForm* f = ParentForm()) f->SetModalResult(FModalResult);
    TWinControl::Click();
}

void TButton::SetDefault(bool v) {
    FDefault = v;
    if (auto* b = static_cast<QPushButton*>(Handle())) b->setDefault(v);
}

void TButton::ApplyText() {
    if (auto* b = static_cast<QPushButton*>(Handle())) b->setText(toQ(FText));
}

// ---- TEdit

IMPLEMENT_CLASS(TEdit, TWinControl) {
    r.Boolean("AutoSelect", &TEdit::AutoSelect, &TEdit::SetAutoSelect);
    r.Enum("CharCase", EditCharCaseInfo, &TEdit::CharCase, &TEdit::SetCharCase);
    r.Integer("MaxLength", &TEdit::MaxLength, &TEdit::SetMaxLength);
    r.Char("PasswordChar", &TEdit::PasswordChar, &TEdit::SetPasswordChar);
    r.Boolean("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly);
    r.Enum("BorderStyle", BorderStyleInfo, &TEdit::BorderStyle, &TEdit::SetBorderStyle);
    r.Str("Text", &TEdit::GetText, &TEdit::SetText);
    r.Str("TextHint", &TEdit::TextHint, &TEdit::SetTextHint);
}

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner) {
    auto* e = new QLineEdit;
    FWidth = 121;
    FHeight = 21;
    SetWidget(e);
    SetTabStop(true);
    SetColor(clWindow);
    QObject::connect(e, &QLineEdit::textChanged, e, guarded(this, [this] {
                         if (FSetting) return;
                         if (FMaxLength > 0) {
                             // Typed text past MaxLength characters is cut (Qt's own limit
                             // counts UTF-16 units, two for a character beyond the BMP).
                             auto* le = static_cast<QLineEdit*>(Handle());
                             const QString t = le->text();
                             qsizetype units = 0;
                             for (int chars = 0; units < t.size() && chars < FMaxLength; ++chars)
                                 units += t.at(units).isHighSurrogate() && units + 1 < t.size() &&
                                                  t.at(units + 1).isLowSurrogate()
                                              ? 2
                                              : 1;
                             if (units < t.size()) {
                                 const int pos = le->cursorPosition();
                                 FSetting = true;
                                 le->setText(t.left(units));
                                 le->setCursorPosition(std::min<int>(pos, int(units)));
                                 FSetting = false;
                             }
                         }
                         if (FCharCase != ecNormal) {
                             auto* le = static_cast<QLineEdit*>(Handle());
                             QString t = le->text();
                             QString c = FCharCase == ecUpperCase ? t.toUpper() : t.toLower();
                             if (c != t) {
                                 int pos = le->cursorPosition();
                                 FSetting = true;
                                 le->setText(c);
                                 le->setCursorPosition(pos);
                                 FSetting = false;
                             }
                         }
                         FModified = true;
                         Change();
                     }));
}

String TEdit::GetText() const {
    auto* e = static_cast<QLineEdit*>(Handle());
    return e ? fromQ(e->text()) : FText;
}

void TEdit::ApplyText() {
    auto* e = static_cast<QLineEdit*>(Handle());
    if (!e) return;
    QString t = toQ(FText);
    if (FCharCase == ecUpperCase) t = t.toUpper();
    if (FCharCase == ecLowerCase) t = t.toLower();
    if (e->text() == t) return;
    // Setting the text by code changes it even past MaxLength, as the framework does;
    // OnChange fires once.
    int max = e->maxLength();
    e->setMaxLength(32767);
    FSetting = true;
    e->setText(t);
    FSetting = false;
    e->setMaxLength(max);
    FModified = false;
    if (!IsLoading()) dispatchGuarded(this, [this] { Change(); });
}

void TEdit::Change() { fire(OnChange, this); }

// ---- TPasswordEdit

IMPLEMENT_CLASS(TPasswordEdit, TEdit) {
    r.Boolean("OEMConvert", &TPasswordEdit::OEMConvert, &TPasswordEdit::SetOEMConvert);
}

TPasswordEdit::TPasswordEdit(TComponent* AOwner) : TEdit(AOwner) { SetPasswordChar(U'*'); }

TPasswordEdit::~TPasswordEdit() {
    if (auto* e = static_cast<QLineEdit*>(Handle())) {
        e->blockSignals(true);
        e->setText(QString(e->text().size(), QChar('*')));
        e->clear();
    }
    secretWipe(FText.data(), FText.size());
}

TCSecretString TPasswordEdit::Secret() const {
    String typed = GetText();
    TCSecretString secret(typed.c_str());
    secretWipe(typed.data(), typed.size());
    return secret;
}

void TPasswordEdit::WipeText() {
    if (auto* e = static_cast<QLineEdit*>(Handle())) {
        // The old characters are overwritten in place before the edit empties.
        e->blockSignals(true);
        e->setText(QString(e->text().size(), QChar('*')));
        e->blockSignals(false);
    }
    secretWipe(FText.data(), FText.size());
    SetText(String());
}

void TEdit::ApplyColor() { applyFieldColor(this); }

void TEdit::SetMaxLength(int v) {
    FMaxLength = v < 0 ? 0 : v;
    // MaxLength counts characters: Qt's limit, in UTF-16 units, leaves room
    // for every one of them beyond the BMP; the text change cuts the rest.
    if (auto* e = static_cast<QLineEdit*>(Handle()))
        e->setMaxLength(FMaxLength > 0 ? std::min(2 * FMaxLength, 32767) : 32767);
}
bool TEdit::ReadOnly() const {
    auto* e = static_cast<QLineEdit*>(Handle());
    return e && e->isReadOnly();
}
void TEdit::SetReadOnly(bool v) {
    if (auto* e = static_cast<QLineEdit*>(Handle())) e->setReadOnly(v);
}
void TEdit::SetPasswordChar(char32_t c) {
    FPasswordChar = c;
    if (auto* e = static_cast<QLineEdit*>(Handle())) e->setEchoMode(c ? QLineEdit::Password : QLineEdit::Normal);
}
void TEdit::SetTextHint(const String& v) {
    FTextHint = v;
    if (auto* e = static_cast<QLineEdit*>(Handle())) e->setPlaceholderText(toQ(v));
}
int TEdit::FitHeight() const {
    auto* e = static_cast<QLineEdit*>(Handle());
    if (!e) return FHeight;
    e->ensurePolished();
    return e->sizeHint().height();
}
void TEdit::SetBorderStyle(TBorderStyle v) {
    FBorderStyle = v == bsNone ? bsNone : bsSingle;
    if (auto* e = static_cast<QLineEdit*>(Handle())) e->setFrame(FBorderStyle != bsNone);
}
void TEdit::SetCharCase(TEditCharCase v) {
    FCharCase = v;
    if (v != ecNormal) {
        FText = GetText();
        ApplyText();
    }
}
int TEdit::SelStart() const {
    auto* e = static_cast<QLineEdit*>(Handle());
    if (!e) return 0;
    return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
}
void TEdit::SetSelStart(int v) {
    if (auto* e = static_cast<QLineEdit*>(Handle())) e->setCursorPosition(v);
}
int TEdit::SelLength() const {
    auto* e = static_cast<QLineEdit*>(Handle());
    return e ? int(e->selectedText().size()) : 0;
}
void TEdit::SetSelLength(int v) {
    if (auto* e = static_cast<QLineEdit*>(Handle())) e->setSelection(SelStart(), v);
}
String TEdit::SelText() const {
    auto* e = static_cast<QLineEdit*>(Handle());
    return e ? fromQ(e->selectedText()) : String();
}
void TEdit::SelectAll() {
    if (auto* e = static_cast<QLineEdit*>(Handle())) e->selectAll();
}

// ---- TCheckBox

IMPLEMENT_CLASS(TCheckBox, TWinControl) {
    r.Object<TBasicAction>("Action", &TCheckBox::Action, &TCheckBox::SetAction);
    r.Enum("Alignment", AlignmentInfo, &TCheckBox::Alignment, &TCheckBox::SetAlignment);
    r.Boolean("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed);
    r.Str("Caption", &TCheckBox::GetText, &TCheckBox::SetText);
    r.Boolean("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked);
    r.Enum("State", CheckBoxStateInfo, &TCheckBox::State, &TCheckBox::SetState);
}

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner) {
    auto* c = new QCheckBox;
    FClickOnRelease = false;
    FWidth = 97;
    FHeight = 17;
    SetWidget(c);
    SetTabStop(true);
    QObject::connect(c, &QCheckBox::stateChanged, c, guarded(this, [this] {
                         if (FSetting) return;
                         auto* cb = static_cast<QCheckBox*>(Handle());
                         Qt::CheckState s = cb->checkState();
                         FState = s == Qt::Checked ? cbChecked : s == Qt::PartiallyChecked ? cbGrayed : cbUnchecked;
                         Click();
                     }));
}

void TCheckBox::SetState(TCheckBoxState v) {
    if (v == cbGrayed && !FAllowGrayed) FAllowGrayed = true;
    if (v == FState) return;
    FState = v;
    if (auto* c = static_cast<QCheckBox*>(Handle())) {
        FSetting = true;
        c->setTristate(FAllowGrayed);
        c->setCheckState(v == cbChecked ? Qt::Checked : v == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
        FSetting = false;
    }
    if (!IsLoading()) dispatchGuarded(this, [this] { Click(); });
}
int TCheckBox::FitWidth() const {
    auto* c = static_cast<QCheckBox*>(Handle());
    if (!c) return FWidth;
    c->ensurePolished();
    return c->sizeHint().width();
}

void TCheckBox::SetAllowGrayed(bool v) {
    FAllowGrayed = v;
    if (auto* c = static_cast<QCheckBox*>(Handle())) c->setTristate(v);
}
void TCheckBox::SetAlignment(TAlignment v) {
    FAlignment = v;
    if (QWidget* w = Handle()) w->setLayoutDirection(v == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}
void TCheckBox::ApplyText() {
    if (auto* c = static_cast<QCheckBox*>(Handle())) c->setText(toQ(FText));
}

// ---- TComboBox

// The combo's items live in the Qt widget; objects ride along as item data.
class ComboStrings : public WidgetStrings {
public:
    explicit ComboStrings(TComboBox* c) : FCombo(c) {}
    QComboBox* box() const { return static_cast<QComboBox*>(FCombo->Handle()); }
    int Count() const override { return box() ? box()->count() : 0; }
    String Get(int i) const override {
        check(i);
        return fromQ(box()->itemText(i));
    }
    void Put(int i, const String& s) override {
        check(i);
        ++FCombo->FSetting;
        box()->setItemText(i, toQ(s));
        --FCombo->FSetting;
    }
    TObject* GetObject(int i) const override {
        check(i);
        return reinterpret_cast<TObject*>(box()->itemData(i).value<quintptr>());
    }
    void PutObject(int i, TObject* o) override {
        check(i);
        box()->setItemData(i, QVariant::fromValue(quintptr(o)));
    }
    void Insert(int i, const String& s) override {
        if (!box() || i < 0 || i > Count()) outOfBounds(i);
        ++FCombo->FSetting;
        box()->insertItem(i, toQ(s), QVariant::fromValue(quintptr(0)));
        if (box()->currentIndex() >= 0 && FCombo->FStyle != csDropDownList && box()->count() == 1)
            box()->setCurrentIndex(-1);
        --FCombo->FSetting;
    }
    int Add(const String& s) override { return FCombo->FSorted ? insertSorted(s) : TStrings::Add(s); }
    void Delete(int i) override {
        check(i);
        ++FCombo->FSetting;
        box()->removeItem(i);
        --FCombo->FSetting;
    }
    void Clear() override {
        if (!box()) return;
        ++FCombo->FSetting;
        QString t = box()->isEditable() ? box()->currentText() : QString();
        box()->clear();
        if (box()->isEditable()) box()->setEditText(t);
        --FCombo->FSetting;
    }

private:
    void check(int i) const {
        if (!box() || i < 0 || i >= box()->count()) outOfBounds(i);
    }
    TComboBox* FCombo;
};

IMPLEMENT_CLASS(TComboBox, TWinControl) {
    r.Integer("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount);
    r.Integer("ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex);
    r.Object<TStrings>("Items", &TComboBox::Items, &TComboBox::SetItems);
    r.Integer("MaxLength", &TComboBox::MaxLength, &TComboBox::SetMaxLength);
    r.Boolean("Sorted", &TComboBox::Sorted, &TComboBox::SetSorted);
    r.Enum("Style", ComboBoxStyleInfo, &TComboBox::Style, &TComboBox::SetStyle);
    r.Str("Text", &TComboBox::GetText, &TComboBox::SetText);
}

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner), FItems(new ComboStrings(this)) {
    auto* c = new QComboBox;
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    FWidth = 145;
    FHeight = 21;
    SetWidget(c);
    SetTabStop(true);
    SetColor(clWindow);
    QObject::connect(c, &QComboBox::activated, c, guarded(this, [this] {
                         if (FSetting) return;
                         fire(OnSelect, this);
                         Change();
                     }));
    QObject::connect(c, &QComboBox::editTextChanged, c, guarded(this, [this] {
                         if (FSetting) return;
                         // Typing in the edit part; a choice from the list reports through `activated`.
                         auto* box = static_cast<QComboBox*>(Handle());
                         if (box->view() && box->view()->isVisible()) return;
                         Change();
                     }));
}

TComboBox::~TComboBox() { delete FItems; }

void TComboBox::Change() { fire(OnChange, this); }

void TComboBox::SetItems(TStrings* s) { FItems->Assign(s); }

int TComboBox::ItemIndex() const {
    auto* c = static_cast<QComboBox*>(Handle());
    if (!c) return -1;
    if (c->isEditable() && c->currentIndex() >= 0 && c->currentText() != c->itemText(c->currentIndex())) return -1;
    return c->currentIndex();
}

void TComboBox::SetItemIndex(int v) {
    auto* c = static_cast<QComboBox*>(Handle());
    if (!c) return;
    if (v < -1 || v >= c->count()) v = -1;
    ++FSetting;
    c->setCurrentIndex(v);
    if (v < 0 && c->isEditable()) c->setEditText(QString());
    --FSetting;
}

String TComboBox::GetText() const {
    auto* c = static_cast<QComboBox*>(Handle());
    return c ? fromQ(c->currentText()) : FText;
}

void TComboBox::ApplyText() {
    auto* c = static_cast<QComboBox*>(Handle());
    if (!c) return;
    ++FSetting;
    QString t = toQ(FText);
    int i = c->findText(t, Qt::MatchFixedString);  // case-insensitive, as the framework selects
    if (c->isEditable()) {
        if (i >= 0) c->setCurrentIndex(i);
        c->setEditText(t);
    } else {
        c->setCurrentIndex(i);
    }
    --FSetting;
}

void TComboBox::ApplyColor() { applyFieldColor(this); }

void TComboBox::SetStyle(TComboBoxStyle v) {
    FStyle = v;
    auto* c = static_cast<QComboBox*>(Handle());
    if (!c) return;
    ++FSetting;
    c->setEditable(v == csDropDown || v == csSimple);
    --FSetting;
}
void TComboBox::SetDropDownCount(int v) {
    FDropDownCount = v;
    if (auto* c = static_cast<QComboBox*>(Handle())) c->setMaxVisibleItems(std::max(v, 1));
}
void TComboBox::SetMaxLength(int v) {
    FMaxLength = v;
    if (auto* c = static_cast<QComboBox*>(Handle()))
        if (c->lineEdit()) c->lineEdit()->setMaxLength(v > 0 ? v : 32767);
}
void TComboBox::SetSorted(bool v) {
    FSorted = v;
    if (!v || FItems->Count() < 2) return;
    TStringList tmp;
    tmp.Assign(FItems);
    tmp.Sort();
    String text = GetText();
    FItems->Assign(&tmp);
    ++FSetting;
    SetText(text);
    --FSetting;
}
bool TComboBox::DroppedDown() const {
    auto* c = static_cast<QComboBox*>(Handle());
    return c && c->view() && c->view()->isVisible();
}
void TComboBox::SetDroppedDown(bool v) {
    auto* c = static_cast<QComboBox*>(Handle());
    if (!c) return;
    if (v) {
        fire(OnDropDown, this);
        c->showPopup();
    } else {
        c->hidePopup();
        fire(OnCloseUp, this);
    }
}
void TComboBox::SetTextHint(const String& v) {
    FTextHint = v;
    if (auto* c = static_cast<QComboBox*>(Handle())) c->setPlaceholderText(toQ(v));
}
int TComboBox::FitHeight() const {
    auto* c = static_cast<QComboBox*>(Handle());
    if (!c) return FHeight;
    c->ensurePolished();
    return c->sizeHint().height();
}
int TComboBox::WidthForText(int TextWidth) const {
    auto* c = static_cast<QComboBox*>(Handle());
    if (!c) return TextWidth;
    c->ensurePolished();
    QStyleOptionComboBox option;
    option.initFrom(c);
    option.editable = c->isEditable();
    const QSize content(std::max(0, TextWidth), c->fontMetrics().height());
    return c->style()->sizeFromContents(QStyle::CT_ComboBox, &option, content, c).width();
}
void TComboBox::Clear() {
    FItems->Clear();
    SetText(String());
}

// ---- TGroupBox

IMPLEMENT_CLASS(TGroupBox, TWinControl) { r.Str("Caption", &TGroupBox::GetText, &TGroupBox::SetText); }

TGroupBox::TGroupBox(TComponent* AOwner) : TWinControl(AOwner) {
    FWidth = 185;
    FHeight = 105;
    SetWidget(new QGroupBox);
}

TRect TGroupBox::ContentRect() const {
    auto* g = static_cast<QGroupBox*>(Handle());
    if (!g) return ClientRect();
    // The style sets the group's margins from its frame and title.
    g->ensurePolished();
    const QMargins m = g->contentsMargins();
    return Rect(m.left(), m.top(), std::max(m.left(), Width() - m.right()), std::max(m.top(), Height() - m.bottom()));
}

void TGroupBox::ApplyText() {
    if (auto* g = static_cast<QGroupBox*>(Handle())) g->setTitle(toQ(FText));
}

// ---- TMemo

const TEnumInfo ScrollStyleInfo{"TScrollStyle", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"}};

IMPLEMENT_CLASS(TMemo, TWinControl) {
    r.Enum("BorderStyle", BorderStyleInfo, &TMemo::BorderStyle, &TMemo::SetBorderStyle);
    r.Object<TStrings>("Lines", &TMemo::Lines, &TMemo::SetLines);
    r.Integer("MaxLength", &TMemo::MaxLength, &TMemo::SetMaxLength);
    r.Boolean("ReadOnly", &TMemo::ReadOnly, &TMemo::SetReadOnly);
    r.Enum("ScrollBars", ScrollStyleInfo, &TMemo::ScrollBars, &TMemo::SetScrollBars);
    r.Boolean("WantReturns", &TMemo::WantReturns, &TMemo::SetWantReturns);
    r.Boolean("WantTabs", &TMemo::WantTabs, &TMemo::SetWantTabs);
    r.Boolean("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap);
}

namespace {
// The memo's editor, with a hook that draws over what the editor painted.
class MemoEdit : public QPlainTextEdit {
public:
    std::function<void(QPainter&)> after;

protected:
    void paintEvent(QPaintEvent* ev) override {
        QPlainTextEdit::paintEvent(ev);
        if (!after) return;
        QPainter p(viewport());
        after(p);
    }
};
}  // namespace

TMemo::TMemo(TComponent* AOwner) : TWinControl(AOwner), FLines(new TStringList), FCanvas(new TCanvas) {
    auto* e = new MemoEdit;
    e->after = [this](QPainter& p) {
        if (IsDestroying()) return;
        FCanvas->Font()->Assign(Font());
        FCanvas->Brush()->SetColor(Color());
        FCanvas->BeginPaint(&p);
        dispatchGuarded(this, [this] { PaintOver(FCanvas); });
        FCanvas->EndPaint();
    };
    e->setTabChangesFocus(true);
    FWidth = 185;
    FHeight = 89;
    SetWidget(e);
    WatchChildWidget(e->viewport());
    SetTabStop(true);
    SetColor(clWindow);
    SetScrollBars(ssNone);
    FLines->OnChange = [this](TObject*) { linesChanged(); };
    QObject::connect(e, &QPlainTextEdit::textChanged, e, guarded(this, [this] { widgetChanged(); }));
}

TMemo::~TMemo() {
    if (auto* e = dynamic_cast<MemoEdit*>(Handle())) e->after = nullptr;
    FLines->OnChange = nullptr;
    delete FLines;
    delete FCanvas;
}

void TMemo::linesChanged() {
    auto* e = static_cast<QPlainTextEdit*>(Handle());
    if (FSync || !e) return;
    ++FSync;
    QStringList parts;
    for (int i = 0; i < FLines->Count(); ++i) parts << toQ(FLines->Get(i));
    e->setPlainText(parts.join('\n'));
    --FSync;
    FModified = false;
    if (!IsLoading()) fire(OnChange, this);
}

void TMemo::widgetChanged() {
    auto* e = static_cast<QPlainTextEdit*>(Handle());
    if (FSync || !e) return;
    ++FSync;
    QString t = e->toPlainText();
    if (FMaxLength > 0 && t.size() > FMaxLength) {
        // The limit counts characters: a pair of surrogates is one.
        qsizetype units = 0;
        for (int chars = 0; units < t.size() && chars < FMaxLength; ++chars)
            units += t.at(units).isHighSurrogate() && units + 1 < t.size() && t.at(units + 1).isLowSurrogate() ? 2 : 1;
        if (units < t.size()) {
            t.truncate(units);
            e->setPlainText(t);
            e->moveCursor(QTextCursor::End);
        }
    }
    FLines->SetText(fromQ(t));
    --FSync;
    FModified = true;
    fire(OnChange, this);
}

String TMemo::GetText() const {
    auto* e = static_cast<QPlainTextEdit*>(Handle());
    if (!e) return FText;
    QString t = e->toPlainText();
    t.replace('\n', "\r\n");
    return fromQ(t);
}

void TMemo::ApplyText() { FLines->SetText(FText); }

void TMemo::ApplyColor() { applyFieldColor(this); }

bool TMemo::ReadOnly() const {
    auto* e = static_cast<QPlainTextEdit*>(Handle());
    return e && e->isReadOnly();
}
void TMemo::SetReadOnly(bool v) {
    if (auto* e = static_cast<QPlainTextEdit*>(Handle())) e->setReadOnly(v);
}
void TMemo::SetWordWrap(bool v) {
    FWordWrap = v;
    if (auto* e = static_cast<QPlainTextEdit*>(Handle()))
        e->setLineWrapMode(v ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}
void TMemo::SetScrollBars(TScrollStyle v) {
    FScrollBars = v;
    auto* e = static_cast<QPlainTextEdit*>(Handle());
    if (!e) return;
    e->setHorizontalScrollBarPolicy(v == ssHorizontal || v == ssBoth ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    e->setVerticalScrollBarPolicy(v == ssVertical || v == ssBoth ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}
void TMemo::SetBorderStyle(TBorderStyle v) {
    FBorderStyle = v == bsNone ? bsNone : bsSingle;
    if (auto* e = static_cast<QPlainTextEdit*>(Handle()))
        e->setFrameShape(FBorderStyle == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
}

namespace {
// The memo's lines as the editor wraps them: each block laid out at the
// width of the text area (inside the frame, the scroll bar and the
// document's margins), which is known even while the memo is hidden.
QStringList memoVisualLines(const TMemo* m) {
    auto* e = static_cast<QPlainTextEdit*>(m->Handle());
    QStringList lines;
    QTextDocument* doc = e->document();
    const bool wrap = e->lineWrapMode() != QPlainTextEdit::NoWrap;
    const qreal width = std::max<qreal>(1, m->ClientWidth() - 2 * doc->documentMargin());
    QTextOption option = doc->defaultTextOption();
    option.setWrapMode(e->wordWrapMode());
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const QString text = b.text();
        if (!wrap || text.isEmpty()) {
            lines << text;
            continue;
        }
        QTextLayout layout(text, e->font());
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << text.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }
    return lines;
}
}  // namespace

int TMemo::ClientWidth() const { return scrollAreaClientSize(this).width(); }
int TMemo::ClientHeight() const { return scrollAreaClientSize(this).height(); }

int TMemo::VisualLineCount() const {
    auto* e = static_cast<QPlainTextEdit*>(Handle());
    return e ? int(memoVisualLines(this).size()) : FLines->Count();
}
String TMemo::VisualLine(int i) const {
    auto* e = static_cast<QPlainTextEdit*>(Handle());
    if (!e) return i >= 0 && i < FLines->Count() ? FLines->Get(i) : String();
    const QStringList lines = memoVisualLines(this);
    return i >= 0 && i < lines.size() ? fromQ(lines.at(i)) : String();
}
void TMemo::SetWantTabs(bool v) {
    FWantTabs = v;
    if (auto* e = static_cast<QPlainTextEdit*>(Handle())) e->setTabChangesFocus(!v);
}
void TMemo::SelectAll() {
    if (auto* e = static_cast<QPlainTextEdit*>(Handle())) e->selectAll();
}
String TMemo::SelText() const {
    auto* e = static_cast<QPlainTextEdit*>(Handle());
    if (!e) return String();
    QString t = e->textCursor().selectedText();
    t.replace(QChar(0x2029), "\r\n");
    return fromQ(t);
}

bool TMemo::WidgetEvent(QEvent* e) {
    if (TWinControl::WidgetEvent(e)) return true;
    if (e->type() == QEvent::KeyPress && !FWantReturns) {
        auto* ke = static_cast<QKeyEvent*>(e);
        if ((ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) && !(ke->modifiers() & Qt::ControlModifier)) {
            // Return belongs to the dialog (its default button) when the memo does not want it.
            if (QWidget* p = Handle()->parentWidget()) QApplication::sendEvent(p, e);
            return true;
        }
    }
    return false;
}

// ---- TListBox

class ListBoxStrings : public WidgetStrings {
public:
    explicit ListBoxStrings(TListBox* l) : FList(l) {}
    QListWidget* box() const { return static_cast<QListWidget*>(FList->Handle()); }
    int Count() const override { return box() ? box()->count() : 0; }
    String Get(int i) const override {
        check(i);
        return fromQ(box()->item(i)->text());
    }
    void Put(int i, const String& s) override {
        check(i);
        box()->item(i)->setText(toQ(s));
    }
    TObject* GetObject(int i) const override {
        check(i);
        return reinterpret_cast<TObject*>(box()->item(i)->data(Qt::UserRole).value<quintptr>());
    }
    void PutObject(int i, TObject* o) override {
        check(i);
        box()->item(i)->setData(Qt::UserRole, QVariant::fromValue(quintptr(o)));
    }
    void Insert(int i, const String& s) override {
        if (!box() || i < 0 || i > Count()) outOfBounds(i);
        ++FList->FSetting;
        box()->insertItem(i, toQ(s));
        --FList->FSetting;
    }
    int Add(const String& s) override { return FList->FSorted ? insertSorted(s) : TStrings::Add(s); }
    void Delete(int i) override {
        check(i);
        ++FList->FSetting;
        delete box()->takeItem(i);
        --FList->FSetting;
    }
    void Clear() override {
        if (!box()) return;
        ++FList->FSetting;
        box()->clear();
        --FList->FSetting;
    }

private:
    void check(int i) const {
        if (!box() || i < 0 || i >= box()->count()) outOfBounds(i);
    }
    TListBox* FList;
};

IMPLEMENT_CLASS(TListBox, TWinControl) {
    r.Enum("BorderStyle", BorderStyleInfo, &TListBox::BorderStyle, &TListBox::SetBorderStyle);
    r.Integer("ItemIndex", &TListBox::ItemIndex, &TListBox::SetItemIndex);
    r.Object<TStrings>("Items", &TListBox::Items, &TListBox::SetItems);
    r.Boolean("MultiSelect", &TListBox::MultiSelect, &TListBox::SetMultiSelect);
    r.Boolean("Sorted", &TListBox::Sorted, &TListBox::SetSorted);
}

TListBox::TListBox(TComponent* AOwner) : TWinControl(AOwner), FItems(new ListBoxStrings(this)) {
    auto* l = new QListWidget;
    FClickOnRelease = false;
    FWidth = 121;
    FHeight = 97;
    SetWidget(l);
    WatchChildWidget(l->viewport());
    SetTabStop(true);
    SetColor(clWindow);
    QObject::connect(l, &QListWidget::itemSelectionChanged, l, guarded(this, [this] {
                         if (!FSetting) Click();
                     }));
}
TListBox::~TListBox() { delete FItems; }

int TListBox::ItemIndex() const {
    auto* l = static_cast<QListWidget*>(Handle());
    return l ? l->currentRow() : -1;
}
void TListBox::SetItemIndex(int v) {
    auto* l = static_cast<QListWidget*>(Handle());
    if (!l) return;
    ++FSetting;
    if (FMultiSelect) {
        // With multiple selection the index is the focused item; what is selected stays.
        l->setCurrentRow(v < 0 || v >= l->count() ? -1 : v, QItemSelectionModel::NoUpdate);
    } else if (v < 0 || v >= l->count()) {
        l->setCurrentRow(-1);
        l->clearSelection();
    } else {
        l->setCurrentRow(v);
    }
    --FSetting;
}
void TListBox::SetMultiSelect(bool v) {
    FMultiSelect = v;
    if (auto* l = static_cast<QListWidget*>(Handle()))
        l->setSelectionMode(v ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}
bool TListBox::Selected(int i) const {
    auto* l = static_cast<QListWidget*>(Handle());
    return l && i >= 0 && i < l->count() && l->item(i)->isSelected();
}
void TListBox::SetSelected(int i, bool v) {
    auto* l = static_cast<QListWidget*>(Handle());
    if (!l || i < 0 || i >= l->count()) return;
    ++FSetting;
    l->item(i)->setSelected(v);
    --FSetting;
}
int TListBox::SelCount() const {
    auto* l = static_cast<QListWidget*>(Handle());
    return l ? int(l->selectedItems().size()) : 0;
}
void TListBox::SetSorted(bool v) {
    FSorted = v;
    if (!v || FItems->Count() < 2) return;
    TStringList tmp;
    tmp.Assign(FItems);
    tmp.Sort();
    FItems->Assign(&tmp);
}
int TListBox::TopIndex() const {
    auto* l = static_cast<QListWidget*>(Handle());
    if (!l) return 0;
    QListWidgetItem* it = l->itemAt(2, 2);
    return it ? l->row(it) : 0;
}
void TListBox::SetTopIndex(int v) {
    auto* l = static_cast<QListWidget*>(Handle());
    if (l && v >= 0 && v < l->count()) l->scrollToItem(l->item(v), QAbstractItemView::PositionAtTop);
}
void TListBox::SetBorderStyle(TBorderStyle v) {
    FBorderStyle = v == bsNone ? bsNone : bsSingle;
    if (auto* l = static_cast<QListWidget*>(Handle()))
        l->setFrameShape(FBorderStyle == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
}
int TListBox::ClientWidth() const { return scrollAreaClientSize(this).width(); }
int TListBox::ClientHeight() const { return scrollAreaClientSize(this).height(); }
int TListBox::ItemHeight() const {
    auto* l = static_cast<QListWidget*>(Handle());
    if (!l) return 0;
    l->ensurePolished();
    const int row = l->count() > 0 ? l->sizeHintForRow(0) : -1;
    return row > 0 ? row : QFontMetrics(l->font()).height();
}
void TListBox::ApplyColor() { applyFieldColor(this); }

// ---- TRadioButton

IMPLEMENT_CLASS(TRadioButton, TWinControl) {
    r.Str("Caption", &TRadioButton::GetText, &TRadioButton::SetText);
    r.Boolean("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked);
}

TRadioButton::TRadioButton(TComponent* AOwner) : TWinControl(AOwner) {
    auto* b = new QRadioButton;
    FClickOnRelease = false;
    FWidth = 113;
    FHeight = 17;
    SetWidget(b);
    SetTabStop(true);
    QObject::connect(b, &QRadioButton::toggled, b, guarded(this, [this] {
                         auto* rb = static_cast<QRadioButton*>(Handle());
                         if (!FAutoExclusive && !rb->isChecked() && !FSetting) {
                             // A click on a checked button outside an exclusive group keeps it checked.
                             FSetting = true;
                             rb->setChecked(true);
                             FSetting = false;
                             return;
                         }
                         FChecked = rb->isChecked();
                         if (FChecked && !FSetting && !IsLoading()) Click();
                     }));
}

void TRadioButton::SetChecked(bool v) {
    auto* b = static_cast<QRadioButton*>(Handle());
    if (!b || v == b->isChecked()) {
        FChecked = v;
        return;
    }
    if (v) {
        b->setChecked(true);  // unchecks the siblings; OnClick as for a user's click
    } else {
        // Qt keeps one button of a group checked; the framework lets code clear it.
        FSetting = true;
        b->setAutoExclusive(false);
        b->setChecked(false);
        b->setAutoExclusive(FAutoExclusive);
        FSetting = false;
    }
    FChecked = b->isChecked();
}

void TRadioButton::SetAutoExclusive(bool v) {
    FAutoExclusive = v;
    if (auto* b = static_cast<QRadioButton*>(Handle())) b->setAutoExclusive(v);
}

void TRadioButton::ApplyText() {
    if (auto* b = static_cast<QRadioButton*>(Handle())) b->setText(toQ(FText));
}

// ---- TStaticText

const TEnumInfo StaticBorderStyleInfo{"TStaticBorderStyle", {"sbsNone", "sbsSingle", "sbsSunken"}};

IMPLEMENT_CLASS(TStaticText, TWinControl) {
    r.Enum("Alignment", AlignmentInfo, &TStaticText::Alignment, &TStaticText::SetAlignment);
    r.Boolean("AutoSize", &TStaticText::AutoSize, &TStaticText::SetAutoSize);
    r.Enum("BorderStyle", StaticBorderStyleInfo, &TStaticText::BorderStyle, &TStaticText::SetBorderStyle);
    r.Str("Caption", &TStaticText::GetText, &TStaticText::SetText);
}

TStaticText::TStaticText(TComponent* AOwner) : TWinControl(AOwner) {
    auto* l = new QLabel;
    l->setTextFormat(Qt::PlainText);
    FWidth = 65;
    FHeight = 17;
    SetWidget(l);
}
void TStaticText::ApplyText() {
    if (auto* l = static_cast<QLabel*>(Handle())) l->setText(toQ(FText));
    Fit();
}
void TStaticText::ApplyFont() {
    TWinControl::ApplyFont();
    Fit();
}
void TStaticText::Fit() {
    auto* l = static_cast<QLabel*>(Handle());
    if (!l || !FAutoSize) return;
    QFontMetrics fm(l->font());
    QSize sz = fm.size(0, l->text());
    int frame = FBorderStyle == sbsNone ? 0 : 4;
    SetBounds(FLeft, FTop, std::max(sz.width(), 1) + frame, std::max(sz.height(), fm.height()) + frame);
}
void TStaticText::SetAutoSize(bool v) {
    FAutoSize = v;
    Fit();
}
void TStaticText::SetAlignment(TAlignment v) {
    FAlignment = v;
    if (auto* l = static_cast<QLabel*>(Handle()))
        l->setAlignment((v == taCenter         ? Qt::AlignHCenter
                         : v == taRightJustify ? Qt::AlignRight
                                               : Qt::AlignLeft) |
                        Qt::AlignTop);
}
void TStaticText::SetBorderStyle(TStaticBorderStyle v) {
    FBorderStyle = v;
    if (auto* l = static_cast<QLabel*>(Handle()))
        l->setFrameStyle(v == sbsNone     ? QFrame::NoFrame
                         : v == sbsSingle ? (QFrame::Box | QFrame::Plain)
                                          : (QFrame::Panel | QFrame::Sunken));
    Fit();
}
