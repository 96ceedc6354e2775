#include "platform/framework/ExtCtrls.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QMovie>
#include <QPainter>
#include <QRadioButton>

#include <algorithm>
#include <QTimer>
#include <QWidget>

#include "platform/framework/QtBridge.h"
#include "platform/framework/QtInternals.h"

const TEnumInfo BevelCutInfo{"TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"}};

// Draws the panel's bevels and centred caption, as the framework's panel does.
class PanelWidget : public QWidget {
public:
    explicit PanelWidget(TPanel* p) : FPanel(p) {}
    void paintEvent(QPaintEvent*) override {
        QPainter pt(this);
        QRect r = rect();
        if (FPanel->FBorderStyle == bsSingle) {
            // The sunken client edge: two lines, dark outside, darker inside.
            const QColor edges[2][2] = {{palette().color(QPalette::Mid), palette().color(QPalette::Light)},
                                        {palette().color(QPalette::Dark), palette().color(QPalette::Midlight)}};
            for (int i = 0; i < TPanel::BorderEdge; ++i) {
                const QColor& lo = edges[std::min(i, 1)][0];
                const QColor& hi = edges[std::min(i, 1)][1];
                pt.setPen(lo);
                pt.drawLine(r.left(), r.top(), r.right(), r.top());
                pt.drawLine(r.left(), r.top(), r.left(), r.bottom());
                pt.setPen(hi);
                pt.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
                pt.drawLine(r.right(), r.top(), r.right(), r.bottom());
                r.adjust(1, 1, -1, -1);
            }
        }
        auto bevel = [&](TBevelCut cut) {
            if (cut == bvNone) return;
            if (cut != bvSpace) {
                QColor hi = palette().color(QPalette::Light), lo = palette().color(QPalette::Mid);
                if (cut == bvLowered) std::swap(hi, lo);
                for (int i = 0; i < FPanel->FBevelWidth; ++i) {
                    pt.setPen(hi);
                    pt.drawLine(r.left(), r.top(), r.right(), r.top());
                    pt.drawLine(r.left(), r.top(), r.left(), r.bottom());
                    pt.setPen(lo);
                    pt.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
                    pt.drawLine(r.right(), r.top(), r.right(), r.bottom());
                    r.adjust(1, 1, -1, -1);
                }
            } else {
                r.adjust(FPanel->FBevelWidth, FPanel->FBevelWidth, -FPanel->FBevelWidth, -FPanel->FBevelWidth);
            }
        };
        bevel(FPanel->FBevelOuter);
        bevel(FPanel->FBevelInner);
        QString t = toQ(FPanel->GetText());
        if (!t.isEmpty()) {
            pt.setPen(palette().color(QPalette::WindowText));
            int a = Qt::AlignVCenter | Qt::TextShowMnemonic;
            a |= FPanel->FAlignment == taCenter         ? Qt::AlignHCenter
                 : FPanel->FAlignment == taRightJustify ? Qt::AlignRight
                                                        : Qt::AlignLeft;
            pt.drawText(r.adjusted(2, 0, -2, 0), a, t);
        }
    }
    TPanel* FPanel;
};

IMPLEMENT_CLASS(TPanel, TWinControl) {
    r.Enum("Alignment", AlignmentInfo, &TPanel::Alignment, &TPanel::SetAlignment);
    r.Enum("BevelInner", BevelCutInfo, &TPanel::BevelInner, &TPanel::SetBevelInner);
    r.Enum("BevelOuter", BevelCutInfo, &TPanel::BevelOuter, &TPanel::SetBevelOuter);
    r.Integer("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth);
    r.Str("Caption", &TPanel::GetText, &TPanel::SetText);
    r.Boolean("ParentBackground", &TPanel::ParentBackground, &TPanel::SetParentBackground);
    r.Enum("BorderStyle", BorderStyleInfo, &TPanel::BorderStyle, &TPanel::SetBorderStyle);
}

TPanel::TPanel(TComponent* AOwner) : TWinControl(AOwner) {
    FWidth = 185;
    FHeight = 41;
    SetWidget(new PanelWidget(this));
}
void TPanel::ApplyText() { Invalidate(); }
void TPanel::SetBevelOuter(TBevelCut v) {
    FBevelOuter = v;
    Invalidate();
}
void TPanel::SetBevelInner(TBevelCut v) {
    FBevelInner = v;
    Invalidate();
}
void TPanel::SetBevelWidth(int v) {
    FBevelWidth = v < 1 ? 1 : v;
    Invalidate();
}
void TPanel::SetAlignment(TAlignment v) {
    FAlignment = v;
    Invalidate();
}
void TPanel::SetBorderStyle(TBorderStyle v) {
    if (v != bsSingle) v = bsNone;
    if (v == FBorderStyle) return;
    FBorderStyle = v;
    Invalidate();
    ClientResized();
}
int TPanel::ClientWidth() const { return std::max(0, TWinControl::ClientWidth() - 2 * BorderWidth()); }
int TPanel::ClientHeight() const { return std::max(0, TWinControl::ClientHeight() - 2 * BorderWidth()); }
TRect TPanel::AlignArea() const {
    const int b = BorderWidth();
    return Rect(b, b, b + ClientWidth(), b + ClientHeight());
}

// ---- TTimer

IMPLEMENT_CLASS(TTimer, TComponent) {
    r.Boolean("Enabled", &TTimer::Enabled, &TTimer::SetEnabled);
    r.Integer("Interval", &TTimer::Interval, &TTimer::SetInterval);
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner), FTimer(new QTimer) {
    QObject::connect(FTimer, &QTimer::timeout, FTimer, [this] { Fire(); });
    if (QCoreApplication::instance()) Apply();
}
TTimer::~TTimer() {
    FTimer->stop();
    FTimer->disconnect();
    if (insideDispatch()) FTimer->deleteLater();  // freed from its own OnTimer
    else delete FTimer;
}
void TTimer::Fire() {
    if (!FEnabled) return;
    dispatchGuarded(this, [this] { Timer(); });
}
void TTimer::Timer() { fire(OnTimer, this); }
void TTimer::Apply() {
    if (FEnabled && FInterval > 0 && !IsDesigning()) FTimer->start(int(FInterval));
    else FTimer->stop();
}
void TTimer::SetEnabled(bool v) {
    FEnabled = v;
    Apply();
}
void TTimer::SetInterval(unsigned v) {
    FInterval = v;
    Apply();
}

// ---- TPaintBox, TBevel

IMPLEMENT_CLASS(TPaintBox, TGraphicControl) {}
TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) {}

const TEnumInfo BevelShapeInfo{
    "TBevelShape", {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer"}};
const TEnumInfo BevelStyleInfo{"TBevelStyle", {"bsLowered", "bsRaised"}};

IMPLEMENT_CLASS(TBevel, TGraphicControl) {
    r.Enum("Shape", BevelShapeInfo, &TBevel::Shape, &TBevel::SetShape);
    r.Enum("Style", BevelStyleInfo, &TBevel::Style, &TBevel::SetStyle);
}

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(FLeft, FTop, 50, 50); }

void TBevel::Paint() {
    TCanvas* c = Canvas();
    TColor hi = clBtnHighlight, lo = clBtnShadow;
    if (FStyle == bsRaised) std::swap(hi, lo);
    int w = Width(), h = Height();
    auto line = [&](TColor col, int x1, int y1, int x2, int y2) {
        c->Pen()->SetColor(col);
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    switch (FShape) {
    case bsBox:
        line(lo, 0, 0, w - 1, 0);
        line(lo, 0, 0, 0, h - 1);
        line(hi, w - 1, 0, w - 1, h - 1);
        line(hi, 0, h - 1, w - 1, h - 1);
        break;
    case bsFrame:
        c->Brush()->SetStyle(bsClear);
        c->Pen()->SetColor(lo);
        c->Rectangle(0, 0, w - 1, h - 1);
        c->Pen()->SetColor(hi);
        c->Rectangle(1, 1, w, h);
        break;
    case bsTopLine:
        line(lo, 0, 0, w, 0);
        line(hi, 0, 1, w, 1);
        break;
    case bsBottomLine:
        line(lo, 0, h - 2, w, h - 2);
        line(hi, 0, h - 1, w, h - 1);
        break;
    case bsLeftLine:
        line(lo, 0, 0, 0, h);
        line(hi, 1, 0, 1, h);
        break;
    case bsRightLine:
        line(lo, w - 2, 0, w - 2, h);
        line(hi, w - 1, 0, w - 1, h);
        break;
    case bsSpacer: break;
    }
}

// ---- TRadioGroup

IMPLEMENT_CLASS(TRadioGroup, TWinControl) {
    r.Str("Caption", &TRadioGroup::GetText, &TRadioGroup::SetText);
    r.Integer("Columns", &TRadioGroup::Columns, &TRadioGroup::SetColumns);
    r.Integer("ItemIndex", &TRadioGroup::ItemIndex, &TRadioGroup::SetItemIndex);
    r.Object<TStrings>("Items", &TRadioGroup::Items, &TRadioGroup::SetItems);
}

TRadioGroup::TRadioGroup(TComponent* AOwner) : TWinControl(AOwner), FItems(new TStringList) {
    FClickOnRelease = false;
    FWidth = 185;
    FHeight = 105;
    SetWidget(new QGroupBox);
    FItems->OnChange = [this](TObject*) { Rebuild(); };
}

TRadioGroup::~TRadioGroup() {
    FItems->OnChange = nullptr;
    delete FItems;
}

void TRadioGroup::ApplyText() {
    if (auto* g = static_cast<QGroupBox*>(Handle())) g->setTitle(toQ(FText));
}

void TRadioGroup::Rebuild() {
    auto* g = static_cast<QGroupBox*>(Handle());
    if (!g) return;
    for (QRadioButton* b : FButtons) delete b;
    FButtons.clear();
    for (int i = 0; i < FItems->Count(); ++i) {
        auto* b = new QRadioButton(toQ(FItems->Get(i)), g);
        b->setAutoExclusive(false);  // the group keeps ItemIndex itself
        QObject::connect(b, &QRadioButton::clicked, b,
                         [this, i] { dispatchGuarded(this, [this, i] { SetItemIndex(i); }); });
        b->show();
        FButtons.push_back(b);
    }
    if (FItemIndex >= FItems->Count()) FItemIndex = -1;
    SetItemIndex(FItemIndex);
    Arrange();
}

void TRadioGroup::Arrange() {
    auto* g = static_cast<QGroupBox*>(Handle());
    if (!g || FButtons.empty()) return;
    int cols = std::max(1, FColumns);
    int rows = (int(FButtons.size()) + cols - 1) / cols;
    int top = QFontMetrics(g->font()).height() + 2;
    int colW = std::max(1, (Width() - 16) / cols);
    int rowH = std::max(1, (Height() - top - 6) / rows);
    for (size_t i = 0; i < FButtons.size(); ++i) {
        int c = int(i) / rows, r = int(i) % rows;
        int bh = FButtons[i]->sizeHint().height();
        FButtons[i]->setGeometry(8 + c * colW, top + r * rowH + (rowH - bh) / 2, colW, bh);
    }
}

void TRadioGroup::Resize() {
    Arrange();
    TWinControl::Resize();
}

void TRadioGroup::SetItemIndex(int v) {
    if (v < -1 || v >= int(FButtons.size())) v = -1;
    bool changed = v != FItemIndex;
    FItemIndex = v;
    for (size_t i = 0; i < FButtons.size(); ++i) FButtons[i]->setChecked(int(i) == v);
    if (changed && !FSetting && !IsLoading()) Click();
}

void TRadioGroup::SetColumns(int v) {
    FColumns = std::clamp(v, 1, 16);
    Arrange();
}

// ---- TImage

IMPLEMENT_CLASS(TImage, TGraphicControl) {
    r.Boolean("Animate", &TImage::Animate, &TImage::SetAnimate);
    r.Boolean("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize);
    r.Boolean("Center", &TImage::Center, &TImage::SetCenter);
    r.Object<TPicture>("Picture", &TImage::Picture, &TImage::SetPicture);
    r.Boolean("Proportional", &TImage::Proportional, &TImage::SetProportional);
    r.Boolean("Stretch", &TImage::Stretch, &TImage::SetStretch);
    r.Boolean("Transparent", &TImage::Transparent, &TImage::SetTransparent);
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(new TPicture) {
    SetBounds(FLeft, FTop, 105, 105);
    FPicture->OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage() {
    Destroying();
    delete FMovie;
    FPicture->OnChange = nullptr;
    delete FPicture;
}

void TImage::PictureChanged() {
    if (FAutoSize && FPicture->Width() > 0) SetBounds(FLeft, FTop, FPicture->Width(), FPicture->Height());
    SetAnimate(FAnimate);
    Invalidate();
}

void TImage::SetAutoSize(bool v) {
    FAutoSize = v;
    if (v && FPicture->Width() > 0) SetBounds(FLeft, FTop, FPicture->Width(), FPicture->Height());
}

void TImage::SetAnimate(bool v) {
    FAnimate = v;
    delete FMovie;
    FMovie = nullptr;
    if (!v || FPicture->FileName().empty()) {
        Invalidate();
        return;
    }
    auto* m = new QMovie(toQ(FPicture->FileName()));
    if (!m->isValid() || m->frameCount() == 1) {
        delete m;
        return;
    }
    FMovie = m;
    QObject::connect(m, &QMovie::frameChanged, m, [this] { Invalidate(); });
    m->start();  // loops as the file says; GIFs made for progress loop forever
}

bool TImage::Animating() const { return FMovie && FMovie->state() == QMovie::Running; }

void TImage::Paint() {
    TCanvas* c = Canvas();
    QPainter* p = c->Painter();
    if (!p) return;
    if (!FTransparent && ParentColor() == false) c->FillRect(Rect(0, 0, Width(), Height()));
    QImage img = FMovie ? FMovie->currentImage() : (FPicture->Graphic() ? FPicture->Bitmap()->Image() : QImage());
    if (img.isNull()) return;
    int w = img.width(), h = img.height();
    QRect dest(0, 0, w, h);
    if (FStretch || (FProportional && (w > Width() || h > Height()))) {
        if (FProportional && w > 0 && h > 0) {
            double k = std::min(double(Width()) / w, double(Height()) / h);
            dest = QRect(0, 0, int(w * k), int(h * k));
        } else {
            dest = QRect(0, 0, Width(), Height());
        }
    }
    if (FCenter) dest.moveTo((Width() - dest.width()) / 2, (Height() - dest.height()) / 2);
    p->save();
    p->setRenderHint(QPainter::SmoothPixmapTransform);
    p->drawImage(dest, img);
    p->restore();
}
