#include "platform/framework/ComCtrls.h"

#include <QApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <vector>

#include "platform/framework/Menus.h"
#include "platform/framework/QtBridge.h"
#include "platform/framework/QtInternals.h"

const TEnumInfo ProgressBarOrientationInfo{"TProgressBarOrientation", {"pbHorizontal", "pbVertical"}};
const TEnumInfo ProgressBarStyleInfo{"TProgressBarStyle", {"pbstNormal", "pbstMarquee"}};
const TEnumInfo UDAlignButtonInfo{"TUDAlignButton", {"udLeft", "udRight"}};

// ---- TProgressBar

IMPLEMENT_CLASS(TProgressBar, TWinControl) {
    r.Integer("Max", &TProgressBar::Max, &TProgressBar::SetMax);
    r.Integer("Min", &TProgressBar::Min, &TProgressBar::SetMin);
    r.Enum("Orientation", ProgressBarOrientationInfo, &TProgressBar::Orientation, &TProgressBar::SetOrientation);
    r.Integer("Position", &TProgressBar::Position, &TProgressBar::SetPosition);
    r.Boolean("Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth);
    r.Integer("Step", &TProgressBar::Step, &TProgressBar::SetStep);
    r.Enum("Style", ProgressBarStyleInfo, &TProgressBar::Style, &TProgressBar::SetStyle);
}

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner) {
    auto* p = new QProgressBar;
    p->setTextVisible(false);
    FWidth = 150;
    FHeight = 16;
    SetWidget(p);
    Apply();
}

void TProgressBar::Apply() {
    auto* p = static_cast<QProgressBar*>(Handle());
    if (!p) return;
    // Qt runs a bar without a position when its range is empty.
    if (FStyle == pbstMarquee) p->setRange(0, 0);
    else p->setRange(FMin, std::max(FMin, FMax));
    p->setValue(FPosition);
}
void TProgressBar::SetStyle(TProgressBarStyle v) {
    FStyle = v;
    Apply();
}
void TProgressBar::SetBarColor(TColor v) {
    FBarColor = v;
    auto* p = static_cast<QProgressBar*>(Handle());
    if (!p) return;
    QPalette pal = p->palette();
    pal.setColor(QPalette::Highlight,
                 v == clDefault ? QApplication::palette(p).color(QPalette::Highlight) : toQColor(v));
    p->setPalette(pal);
}
void TProgressBar::SetMin(int v) {
    FMin = v;
    FPosition = std::max(FPosition, FMin);
    Apply();
}
void TProgressBar::SetMax(int v) {
    FMax = v;
    FPosition = std::min(FPosition, std::max(FMin, FMax));
    Apply();
}
void TProgressBar::SetPosition(int v) {
    FPosition = std::clamp(v, FMin, std::max(FMin, FMax));
    Apply();
}
void TProgressBar::SetOrientation(TProgressBarOrientation v) {
    FOrientation = v;
    if (auto* p = static_cast<QProgressBar*>(Handle()))
        p->setOrientation(v == pbVertical ? Qt::Vertical : Qt::Horizontal);
}

// ---- TUpDown

IMPLEMENT_CLASS(TUpDown, TWinControl) {
    r.Enum("AlignButton", UDAlignButtonInfo, &TUpDown::AlignButton, &TUpDown::SetAlignButton);
    r.Object<TWinControl>("Associate", &TUpDown::Associate, &TUpDown::SetAssociate);
    r.Integer("Increment", &TUpDown::Increment, &TUpDown::SetIncrement);
    r.Integer("Max", &TUpDown::Max, &TUpDown::SetMax);
    r.Integer("Min", &TUpDown::Min, &TUpDown::SetMin);
    r.Integer("Position", &TUpDown::Position, &TUpDown::SetPosition);
    r.Boolean("Thousands", &TUpDown::Thousands, &TUpDown::SetThousands);
    r.Boolean("Wrap", &TUpDown::Wrap, &TUpDown::SetWrap);
}

TUpDown::TUpDown(TComponent* AOwner) : TWinControl(AOwner) {
    auto* w = new QWidget;
    auto* lay = new QVBoxLayout(w);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    auto* up = new QToolButton(w);
    auto* down = new QToolButton(w);
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    up->setAutoRepeat(true);
    down->setAutoRepeat(true);
    for (QToolButton* b : {up, down}) {
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setFocusPolicy(Qt::NoFocus);
        lay->addWidget(b);
    }
    FClickOnRelease = false;
    FWidth = 17;
    FHeight = 21;
    SetWidget(w);
    QObject::connect(up, &QToolButton::clicked, up, [this] { dispatchGuarded(this, [this] { ClickButton(btNext); }); });
    QObject::connect(down, &QToolButton::clicked, down,
                     [this] { dispatchGuarded(this, [this] { ClickButton(btPrev); }); });
}

int TUpDown::Position() const {
    // The edit may have been typed into: its number is the position.
    if (FAssociate) {
        String t = FAssociate->GetText();
        String digits;
        for (char c : t)
            if (c != ' ' && c != ',' && c != '\xA0') digits += c;
        int64_t v = StrToInt64Def(digits, FPosition);
        return int(std::clamp<int64_t>(v, FMin, FMax));
    }
    return FPosition;
}

void TUpDown::SetPosition(int v) {
    FPosition = std::clamp(v, std::min(FMin, FMax), std::max(FMin, FMax));
    ShowPosition();
}

void TUpDown::ShowPosition() {
    if (!FAssociate) return;
    String digits = std::to_string(FPosition);
    if (FThousands) {
        String out;
        size_t start = digits[0] == '-' ? 1 : 0;
        for (size_t i = 0; i < digits.size(); ++i) {
            out += digits[i];
            size_t rest = digits.size() - i - 1;
            if (i >= start && rest > 0 && rest % 3 == 0) out += ' ';
        }
        digits = out;
    }
    FAssociate->SetText(digits);
}

void TUpDown::ClickButton(TUDBtnType b) {
    fire(OnChanging, this);
    int pos = Position();
    int next = pos + (b == btNext ? FIncrement : -FIncrement);
    if (next > FMax) next = FWrap ? FMin : FMax;
    if (next < FMin) next = FWrap ? FMax : FMin;
    SetPosition(next);
    if (OnClick) OnClick(this, b);
}

void TUpDown::SetAssociate(TWinControl* c) {
    if (FAssociate) FAssociate->RemoveFreeNotification(this);
    FAssociate = c;
    if (c) {
        c->FreeNotification(this);
        Place();
        ShowPosition();
    }
}

void TUpDown::Place() {
    if (!FAssociate || !FAssociate->Parent()) return;
    if (Parent() != FAssociate->Parent()) SetParent(FAssociate->Parent());
    int x = FAlignButton == udRight ? FAssociate->Left() + FAssociate->Width() : FAssociate->Left() - Width();
    SetBounds(x, FAssociate->Top(), Width(), FAssociate->Height());
}

void TUpDown::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FAssociate) FAssociate = nullptr;
}

// ---- TTabSheet

IMPLEMENT_CLASS(TTabSheet, TWinControl) {
    r.Str("Caption", &TTabSheet::GetText, &TTabSheet::SetText);
    r.Integer("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex);
    r.Boolean("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible);
}

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
    FWidth = 200;
    FHeight = 150;
    SetWidget(new QWidget);
}

TTabSheet::~TTabSheet() {
    Destroying();
    if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::SetParent(TWinControl* p) {
    if (p == Parent()) return;
    TPageControl* old = FPageControl;
    if (old) old->RemovePage(this);
    try {
        TWinControl::SetParent(p);
    } catch (...) {
        if (old) old->InsertPage(this);
        throw;
    }
    if (auto* pc = dynamic_cast<TPageControl*>(p)) pc->InsertPage(this);
}

void TTabSheet::SetPageControl(TPageControl* pc) { SetParent(pc); }

int TTabSheet::PageIndex() const {
    if (!FPageControl) return -1;
    const auto& v = FPageControl->FPages;
    return int(std::find(v.begin(), v.end(), this) - v.begin());
}

void TTabSheet::SetPageIndex(int v) {
    if (FPageControl) FPageControl->MovePage(this, v);
}

int TTabSheet::TabIndex() const {
    if (!FPageControl || !FTabVisible) return -1;
    int n = 0;
    for (TTabSheet* s : FPageControl->FPages) {
        if (s == this) return n;
        if (s->FTabVisible) ++n;
    }
    return -1;
}

void TTabSheet::SetTabVisible(bool v) {
    if (v == FTabVisible) return;
    FTabVisible = v;
    if (!FPageControl) return;
    // A page whose tab goes away does not stay on show without it.
    if (!v && FPageControl->FActivePage == this) {
        TTabSheet* next = FPageControl->FindNextPage(this, true, true);
        FPageControl->SetActivePage(next);
    } else if (v && !FPageControl->FActivePage) {
        FPageControl->SetActivePage(this);
    }
    FPageControl->UpdateTabs();
}

void TTabSheet::ApplyText() {
    if (FPageControl) FPageControl->UpdateTabs();
}

// ---- TPageControl

namespace {
// Ctrl+Tab and Ctrl+Shift+Tab reach the control when the focused control
// inside leaves them (key presses climb to the parent widgets); the
// innermost page control takes them.
class PageKeys : public QObject {
public:
    explicit PageKeys(TPageControl* pc) : FPages(pc) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::KeyPress || FPages->IsDestroying()) return false;
        auto* ke = static_cast<QKeyEvent*>(e);
        if (!(ke->modifiers() & Qt::ControlModifier) || (ke->modifiers() & Qt::AltModifier)) return false;
        if (ke->key() != Qt::Key_Tab && ke->key() != Qt::Key_Backtab) return false;
        bool forward = ke->key() == Qt::Key_Tab && !(ke->modifiers() & Qt::ShiftModifier);
        dispatchGuarded(FPages, [this, forward] { FPages->SelectNextPage(forward); });
        e->accept();
        return true;
    }

private:
    TPageControl* FPages;
};
}  // namespace

struct TPageControl::Impl {
    QTabBar* tabs = nullptr;
    QWidget* pane = nullptr;
    PageKeys* keys = nullptr;
    bool updating = false;
};

const TEnumInfo TabPositionInfo{"TTabPosition", {"tpTop", "tpBottom"}};

IMPLEMENT_CLASS(TPageControl, TWinControl) {
    r.Object<TTabSheet>("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
    r.Enum("TabPosition", TabPositionInfo, &TPageControl::TabPosition, &TPageControl::SetTabPosition);
}

void TPageControl::SetTabPosition(TTabPosition v) {
    if (v == FTabPosition) return;
    FTabPosition = v;
    if (FImpl) FImpl->tabs->setShape(v == tpBottom ? QTabBar::RoundedSouth : QTabBar::RoundedNorth);
    LayoutPages();
}

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner), FImpl(new Impl) {
    auto* w = new QWidget;
    FImpl->tabs = new QTabBar(w);
    FImpl->tabs->setDrawBase(false);
    FImpl->tabs->setExpanding(false);
    FImpl->tabs->setUsesScrollButtons(true);
    QWidget* pane = newPaintWidget([this](QPainter& p) {
        if (!FImpl) return;
        QWidget* pane = FImpl->pane;
        QStyleOptionTabWidgetFrame opt;
        opt.initFrom(pane);
        opt.rect = pane->rect();
        pane->style()->drawPrimitive(QStyle::PE_FrameTabWidget, &opt, &p, pane);
    });
    pane->setParent(w);
    FImpl->pane = pane;
    w->setFocusProxy(FImpl->tabs);
    SetTabStop(true);
    FWidth = 289;
    FHeight = 193;
    SetWidget(w);
    WatchChildWidget(FImpl->tabs);
    FImpl->keys = new PageKeys(this);
    w->installEventFilter(FImpl->keys);
    auto choose = [this](int tab) {
        TTabSheet* chosen = nullptr;
        int n = 0;
        for (TTabSheet* s : FPages)
            if (s->FTabVisible && n++ == tab) chosen = s;
        if (!chosen) return;
        dispatchGuarded(this, [this, chosen] {
            if (!ChooseTab(chosen)) UpdateTabs();  // refused: the tab bar shows the active page again
        });
    };
    QObject::connect(FImpl->tabs, &QTabBar::currentChanged, FImpl->tabs, [this, choose](int tab) {
        if (!FImpl || FImpl->updating || IsDestroying()) return;
        choose(tab);
    });
    // With no active page the tab bar still marks a tab as current; a click
    // on that tab changes nothing there, yet it chooses the page.
    QObject::connect(FImpl->tabs, &QTabBar::tabBarClicked, FImpl->tabs, [this, choose](int tab) {
        if (!FImpl || FImpl->updating || IsDestroying() || FActivePage) return;
        if (tab >= 0 && tab == FImpl->tabs->currentIndex()) choose(tab);
    });
    LayoutPages();
}

TPageControl::~TPageControl() {
    Destroying();
    // The sheets go with the control (as children); they no longer report back.
    for (TTabSheet* s : FPages) s->FPageControl = nullptr;
    FPages.clear();
    FActivePage = nullptr;
    if (QWidget* w = Handle()) w->removeEventFilter(FImpl->keys);
    delete FImpl->keys;
    delete FImpl;
    FImpl = nullptr;
}

QWidget* TPageControl::ClientWidget() const { return FImpl ? FImpl->pane : Handle(); }

TTabSheet* TPageControl::Pages(int i) const { return i >= 0 && i < PageCount() ? FPages[size_t(i)] : nullptr; }

int TPageControl::ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int i) { SetActivePage(Pages(i)); }

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page && page->FPageControl != this) return;
    if (page == FActivePage) return;
    // Show the new page before hiding the old one, so focus has somewhere to go.
    if (page) page->SetVisible(true);
    TTabSheet* old = FActivePage;
    FActivePage = page;
    if (old) old->SetVisible(false);
    if (page) page->BringToFront();
    UpdateTabs();
}

bool TPageControl::ChooseTab(TTabSheet* page) {
    if (page == FActivePage) return true;
    if (page && page->FPageControl != this) return false;
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    if (!allow) return false;
    SetActivePage(page);
    fire(OnChange, this);
    return true;
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool forward, bool checkTabVisible) const {
    int n = PageCount();
    if (n == 0) return nullptr;
    auto it = std::find(FPages.begin(), FPages.end(), current);
    int start = it == FPages.end() ? (forward ? n - 1 : 0) : int(it - FPages.begin());
    for (int step = 1; step <= n; ++step) {
        int i = forward ? (start + step) % n : (start + n - step) % n;
        TTabSheet* s = FPages[size_t(i)];
        if (s == current) break;
        if (!checkTabVisible || s->FTabVisible) return s;
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool forward, bool checkTabVisible) {
    TTabSheet* s = FindNextPage(FActivePage, forward, checkTabVisible);
    if (!s) return;
    QWidget* fw = QApplication::focusWidget();
    bool hadFocus = fw && FActivePage && FActivePage->Handle() && FActivePage->Handle()->isAncestorOf(fw);
    if (!ChooseTab(s) || !hadFocus) return;
    // The focus was on the page that went away: it moves to the new page's first control.
    s->SelectNext(nullptr, true, true);
    fw = QApplication::focusWidget();
    if (!fw || !s->Handle()->isAncestorOf(fw)) SetFocus();
}

void TPageControl::InsertPage(TTabSheet* page) {
    if (std::find(FPages.begin(), FPages.end(), page) != FPages.end()) return;
    FPages.push_back(page);
    page->FPageControl = this;
    page->SetVisible(false);
    LayoutPages();
    if (!FActivePage && page->FTabVisible) SetActivePage(page);
    else UpdateTabs();
}

void TPageControl::RemovePage(TTabSheet* page) {
    auto it = std::find(FPages.begin(), FPages.end(), page);
    if (it == FPages.end()) return;
    TTabSheet* next = page == FActivePage ? FindNextPage(page, true, true) : nullptr;
    FPages.erase(it);
    page->FPageControl = nullptr;
    // A sheet taken off the control shows again wherever it goes next.
    if (!page->IsDestroying()) page->SetVisible(true);
    if (page == FActivePage) {
        FActivePage = nullptr;
        if (!IsDestroying()) SetActivePage(next);
    }
    if (!IsDestroying()) UpdateTabs();
}

void TPageControl::MovePage(TTabSheet* page, int index) {
    auto it = std::find(FPages.begin(), FPages.end(), page);
    if (it == FPages.end()) return;
    FPages.erase(it);
    index = std::clamp(index, 0, int(FPages.size()));
    FPages.insert(FPages.begin() + index, page);
    UpdateTabs();
}

void TPageControl::UpdateTabs() {
    if (!FImpl || IsDestroying()) return;
    QTabBar* bar = FImpl->tabs;
    FImpl->updating = true;
    int shown = 0, current = -1;
    for (TTabSheet* s : FPages) {
        if (!s->FTabVisible) continue;
        if (s == FActivePage) current = shown;
        // A tab whose text stays keeps the bar's layout: measuring every tab
        // again for each change costs much while a window is built.
        const QString text = toQ(s->GetText());
        if (shown >= bar->count()) bar->addTab(text);
        else if (bar->tabText(shown) != text) bar->setTabText(shown, text);
        ++shown;
    }
    while (bar->count() > shown) bar->removeTab(bar->count() - 1);
    if (bar->currentIndex() != current) bar->setCurrentIndex(current);
    FImpl->updating = false;
    LayoutPages();
}

void TPageControl::LayoutPages() {
    if (!FImpl) return;
    QTabBar* bar = FImpl->tabs;
    int tabH = bar->count() ? bar->sizeHint().height() : 0;
    const int paneH = std::max(FHeight - tabH, 0);
    const bool below = FTabPosition == tpBottom;
    bar->setGeometry(0, below ? paneH : 0, std::max(FWidth, 0), tabH);
    bar->setVisible(bar->count() > 0);
    FImpl->pane->setGeometry(0, below ? 0 : tabH, std::max(FWidth, 0), paneH);
    QStyleOptionTabWidgetFrame opt;
    opt.initFrom(FImpl->pane);
    int m = FImpl->pane->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, FImpl->pane);
    int w = std::max(FImpl->pane->width() - 2 * m, 0), h = std::max(FImpl->pane->height() - 2 * m, 0);
    for (TTabSheet* s : FPages) s->SetBounds(m, m, w, h);
}

void TPageControl::Resize() {
    LayoutPages();
    TWinControl::Resize();
}

// ---- TToolButton

const TEnumInfo ToolButtonStyleInfo{"TToolButtonStyle",
                                    {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"}};

IMPLEMENT_CLASS(TToolButton, TControl) {
    r.Object<TBasicAction>("Action", &TToolButton::Action, &TToolButton::SetAction);
    r.Str("Caption", &TToolButton::GetText, &TToolButton::SetText);
    r.Boolean("Down", &TToolButton::Down, &TToolButton::SetDown);
    r.Object<TPopupMenu>("DropdownMenu", &TToolButton::DropdownMenu, &TToolButton::SetDropdownMenu);
    r.Integer("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex);
    r.Enum("Style", ToolButtonStyleInfo, &TToolButton::Style, &TToolButton::SetStyle);
}

TToolButton::TToolButton(TComponent* AOwner) : TControl(AOwner) {
    auto* b = new QToolButton;
    b->setFocusPolicy(Qt::NoFocus);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto* menu = new QMenu(b);
    QObject::connect(menu, &QMenu::aboutToShow, menu, [this] { dispatchGuarded(this, [this] { FillMenu(); }); });
    FClickOnRelease = false;
    FWidth = 23;
    FHeight = 22;
    SetWidget(b);
    ApplyStyle();
    QObject::connect(b, &QToolButton::clicked, b, [this] { dispatchGuarded(this, [this] { Click(); }); });
}

TToolButton::~TToolButton() {
    // Leave the bar now, so that it closes the gap.
    Destroying();
    SetParent(nullptr);
}

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(Parent()); }

void TToolButton::SetParent(TWinControl* p) {
    TToolBar* old = ToolBar();
    TControl::SetParent(p);
    ApplyImage();
    if (old && old != p && !old->IsDestroying()) old->LayoutButtons();
    if (TToolBar* bar = ToolBar()) bar->LayoutButtons();
}

void TToolButton::SetVisible(bool v) {
    bool changed = v != FVisible;
    TControl::SetVisible(v);
    if (changed)
        if (TToolBar* bar = ToolBar()) bar->LayoutButtons();
}

void TToolButton::SetStyle(TToolButtonStyle v) {
    if (v == FStyle) return;
    bool wasSeparator = IsSeparator();
    FStyle = v;
    // A separator is a narrow gap; a button gets the bar's width back.
    if (IsSeparator() && !wasSeparator) FWidth = 8;
    ApplyStyle();
    if (TToolBar* bar = ToolBar()) bar->LayoutButtons();
}

void TToolButton::SetDropdownMenu(TPopupMenu* m) {
    if (m == FDropdownMenu) return;
    if (FDropdownMenu) FDropdownMenu->RemoveFreeNotification(this);
    FDropdownMenu = m;
    if (m) m->FreeNotification(this);
    ApplyStyle();
}

void TToolButton::Notification(TComponent* AComponent, TOperation Operation) {
    TControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && AComponent == FDropdownMenu) {
        FDropdownMenu = nullptr;
        ApplyStyle();
    }
}

void TToolButton::SetImageIndex(int v) {
    if (v == FImageIndex) return;
    FImageIndex = v;
    ApplyImage();
    if (TToolBar* bar = ToolBar()) bar->LayoutButtons();
}

namespace {
// The picture of a disabled button when the bar has no disabled list:
// grey, lighter and half transparent.
QImage greyed(const QImage& src) {
    QImage img = src.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int g = 128 + qGray(line[x]) / 2;
            line[x] = qRgba(g, g, g, qAlpha(line[x]) / 2);
        }
    }
    return img;
}
}  // namespace

bool TToolButton::ShowsPictureOnly() const {
    auto* b = static_cast<QToolButton*>(Handle());
    return b && b->toolButtonStyle() == Qt::ToolButtonIconOnly;
}

void TToolButton::ApplyImage() {
    auto* b = static_cast<QToolButton*>(Handle());
    if (!b || IsDestroying()) return;
    TToolBar* bar = ToolBar();
    const QImage* img = bar && !IsSeparator() && bar->Images() ? bar->Images()->Image(FImageIndex) : nullptr;
    if (!img && bar && !IsSeparator() && bar->Images() && bar->ShowCaptions()) {
        // An empty picture keeps the caption in line with its neighbours'.
        QPixmap blank(bar->Images()->Width(), bar->Images()->Height());
        blank.fill(Qt::transparent);
        b->setIcon(QIcon(blank));
        b->setIconSize(blank.size());
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    } else if (!img) {
        b->setIcon(QIcon());
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    } else {
        QIcon icon;
        icon.addPixmap(QPixmap::fromImage(*img), QIcon::Normal);
        const QImage* off = bar->DisabledImages() ? bar->DisabledImages()->Image(FImageIndex) : nullptr;
        icon.addPixmap(QPixmap::fromImage(off ? *off : greyed(*img)), QIcon::Disabled);
        b->setIcon(icon);
        b->setIconSize(img->size());
        b->setToolButtonStyle(bar->ShowCaptions() ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
    }
    ApplyHint();
}

// A button that shows only its picture names itself in its tool tip.
void TToolButton::ApplyHint() {
    TControl::ApplyHint();
    if (!ShowsPictureOnly()) return;
    String tip = GetShortHint(Hint());
    if (tip.empty()) tip = FText;
    Handle()->setToolTip(toQ(tip));
}

void TToolButton::SetDown(bool v) {
    FDown = v;
    if (auto* b = static_cast<QToolButton*>(Handle())) b->setChecked(v);
}

void TToolButton::ApplyStyle() {
    auto* b = static_cast<QToolButton*>(Handle());
    if (!b || IsDestroying()) return;
    QMenu* menu = b->findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
    bool sep = IsSeparator();
    b->setCheckable(FStyle == tbsCheck);
    b->setChecked(FStyle == tbsCheck && FDown);
    b->setAutoRaise(true);
    // The arrow shows on every drop-down button, as the framework draws it.
    b->setMenu(FStyle == tbsDropDown ? menu : nullptr);
    b->setPopupMode(FStyle == tbsDropDown ? QToolButton::MenuButtonPopup : QToolButton::DelayedPopup);
    b->setAttribute(Qt::WA_TransparentForMouseEvents, sep);
    b->setText(sep ? QString() : toQ(FText));
    ApplyImage();
}

void TToolButton::ApplyText() {
    auto* b = static_cast<QToolButton*>(Handle());
    if (!b) return;
    b->setText(IsSeparator() ? QString() : toQ(FText));
    ApplyHint();
    // A longer caption may need wider buttons.
    if (TToolBar* bar = ToolBar(); bar && bar->ShowCaptions()) bar->LayoutButtons();
}

void TToolButton::FillMenu() {
    auto* b = static_cast<QToolButton*>(Handle());
    QMenu* menu = b ? b->menu() : nullptr;
    if (!menu) return;
    menu->clear();
    if (!FDropdownMenu) return;
    FDropdownMenu->PopupComponent = this;
    fire(FDropdownMenu->OnPopup, FDropdownMenu);
    if (!FDropdownMenu) return;  // the handler may have dropped it
    TMenuItem* items = FDropdownMenu->Items();
    for (int i = 0; i < items->Count(); ++i) menu->addAction(items->Items(i)->QtAction());
}

bool TToolButton::CheckMenuDropdown() {
    if (!FDropdownMenu || IsSeparator()) return false;
    FDropdownMenu->PopupComponent = this;
    TPoint at = ClientToScreen(Point(0, FHeight));
    FDropdownMenu->Popup(at.X, at.Y);
    return true;
}

void TToolButton::SwitchToMenu(TPopupMenu* menu, TNotifyEvent onClick) {
    SetAction(nullptr);
    OnClick = std::move(onClick);
    SetDropdownMenu(menu);
    SetStyle(menu ? tbsDropDown : tbsButton);
    SetEnabled(true);
    SetVisible(true);
}

void TToolButton::SwitchToAction(TBasicAction* action) {
    OnClick = nullptr;
    SetDropdownMenu(nullptr);
    SetStyle(tbsButton);
    SetAction(action);
    // Linking the same action again reports nothing: take its state now.
    if (action) ActionChanged(action);
}

void TToolButton::Click() {
    if (IsSeparator()) return;
    if (FStyle == tbsCheck)
        if (auto* b = static_cast<QToolButton*>(Handle())) FDown = b->isChecked();
    TControl::Click();
}

void TToolButton::ActionChanged(TBasicAction* a) {
    TControl::ActionChanged(a);
    if (auto* act = dynamic_cast<TAction*>(a)) {
        SetImageIndex(act->ImageIndex());
        if (FStyle == tbsCheck) SetDown(act->Checked());
    }
}

// ---- TToolBar

IMPLEMENT_CLASS(TToolBar, TWinControl) {
    r.Integer("ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight);
    r.Integer("ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth);
    r.Object<TCustomImageList>("DisabledImages", &TToolBar::DisabledImages, &TToolBar::SetDisabledImages);
    r.Boolean("Flat", &TToolBar::Flat, &TToolBar::SetFlat);
    r.Object<TCustomImageList>("Images", &TToolBar::Images, &TToolBar::SetImages);
    r.Boolean("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions);
    r.Boolean("Wrapable", &TToolBar::Wrapable, &TToolBar::SetWrapable);
}

TToolBar::TToolBar(TComponent* AOwner) : TWinControl(AOwner) {
    FWidth = 150;
    FHeight = 29;
    SetWidget(new QWidget);
    SetAlign(alTop);
    FImagesLink.OnChange = [this] { ImagesChanged(); };
    FDisabledImagesLink.OnChange = [this] { ImagesChanged(); };
}

TToolBar::~TToolBar() {
    if (FImages) FImages->RemoveFreeNotification(this);
    if (FDisabledImages) FDisabledImages->RemoveFreeNotification(this);
}

void TToolBar::SetImageList(TCustomImageList*& field, TChangeLink& link, TCustomImageList* v) {
    if (v == field) return;
    if (field) {
        field->UnRegisterChanges(&link);
        // The other list field may still hold the same list.
        if (FImages != FDisabledImages) field->RemoveFreeNotification(this);
    }
    field = v;
    if (v) {
        v->RegisterChanges(&link);
        v->FreeNotification(this);
    }
    ImagesChanged();
}

void TToolBar::SetImages(TCustomImageList* v) { SetImageList(FImages, FImagesLink, v); }
void TToolBar::SetDisabledImages(TCustomImageList* v) { SetImageList(FDisabledImages, FDisabledImagesLink, v); }

void TToolBar::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent) return;
    bool changed = false;
    if (AComponent == FImages) {
        FImages = nullptr;
        changed = true;
    }
    if (AComponent == FDisabledImages) {
        FDisabledImages = nullptr;
        changed = true;
    }
    if (changed) ImagesChanged();
}

void TToolBar::ImagesChanged() {
    if (IsDestroying()) return;
    for (int i = 0; TToolButton* b = Buttons(i); ++i) b->ApplyImage();
    LayoutButtons();
}

int TToolBar::ButtonCount() const {
    int n = 0;
    for (int i = 0; i < ControlCount(); ++i)
        if (dynamic_cast<TToolButton*>(Controls(i))) ++n;
    return n;
}

TToolButton* TToolBar::Buttons(int index) const {
    if (index < 0) return nullptr;
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* b = dynamic_cast<TToolButton*>(Controls(i)))
            if (index-- == 0) return b;
    return nullptr;
}

void TToolBar::SetButtonWidth(int v) {
    FButtonWidth = std::max(v, 0);
    LayoutButtons();
}
void TToolBar::SetButtonHeight(int v) {
    FButtonHeight = std::max(v, 0);
    LayoutButtons();
}
// Without a picture the caption is all a button can show, so it stays visible.
void TToolBar::SetShowCaptions(bool v) {
    if (v == FShowCaptions) return;
    FShowCaptions = v;
    ImagesChanged();
}
void TToolBar::SetFlat(bool v) {
    FFlat = v;
    for (int i = 0; TToolButton* b = Buttons(i); ++i)
        if (auto* q = static_cast<QToolButton*>(b->Handle())) q->setAutoRaise(v);
}

void TToolBar::SetWrapable(bool v) {
    if (v == FWrapable) return;
    FWrapable = v;
    LayoutButtons();
}

void TToolBar::Resize() {
    TWinControl::Resize();
    LayoutButtons();
}

// The buttons are ButtonWidth x ButtonHeight, grown to hold the pictures; a
// button with a caption shown is as wide as the caption needs, and all share
// the height the tallest one needs.
void TToolBar::LayoutButtons() {
    if (IsDestroying() || FLayingOut) return;
    FLayingOut = true;
    int w = FButtonWidth, h = FButtonHeight;
    if (FImages) {
        w = std::max(w, FImages->Width() + 7);
        h = std::max(h, FImages->Height() + 6);
    }
    // The shown buttons in order, each with the size its caption needs
    // (empty: no caption shown), measured once for both passes.
    struct Shown {
        TToolButton* button;
        QSize captionSize;
    };
    std::vector<Shown> shown;
    for (int i = 0; i < ControlCount(); ++i) {
        auto* b = dynamic_cast<TToolButton*>(Controls(i));
        if (!b || b->IsDestroying() || !b->Visible()) continue;
        auto* q = static_cast<QToolButton*>(b->Handle());
        const bool caption = q && !b->IsSeparator() && q->toolButtonStyle() != Qt::ToolButtonIconOnly;
        shown.push_back({b, caption ? q->sizeHint() : QSize()});
        if (caption) h = std::max(h, shown.back().captionSize.height());
    }
    int x = 0, y = 0;
    for (const Shown& s : shown) {
        TToolButton* b = s.button;
        int bw = b->IsSeparator() ? b->Width() : w;
        if (s.captionSize.isValid()) bw = std::max(bw, s.captionSize.width());
        if (FWrapable && x > 0 && x + bw > ClientWidth()) {
            x = 0;
            y += h;
        }
        b->SetBounds(x, y, bw, h);
        x += bw;
    }
    // Room for the rows and the bar's edge; back to the own height unwrapped.
    if (Align() == alTop || Align() == alBottom) {
        const int need = y + h + 4;
        if (y > 0) {
            if (FHeightBeforeWrap < 0) FHeightBeforeWrap = FHeight;
            SetHeight(need);
        } else if (FHeightBeforeWrap >= 0) {
            SetHeight(std::max(FHeightBeforeWrap, need));
            FHeightBeforeWrap = -1;
        } else if (FHeight < need) {
            SetHeight(need);
        }
    }
    FLayingOut = false;
}
