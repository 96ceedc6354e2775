#include "dialogs/MessageView.h"

#include <algorithm>

#include "platform/runtime/Messages.h"
#include "platform/runtime/Translation.h"

namespace {
const TMessageButtonInfo kButtons[] = {
    {"Да", mbYes, mrYes, 6},
    {"Нет", mbNo, mrNo, 7},
    {"Принять", mbOK, mrOk, 1},
    {"Отменить", mbCancel, mrCancel, 2},
    {"Прекратить", mbAbort, mrAbort, 3},
    {"Повторить", mbRetry, mrRetry, 4},
    {"Игнорировать", mbIgnore, mrIgnore, 5},
    {"Все", mbAll, mrAll, 0},
    {"Нет для всех", mbNoToAll, mrNoToAll, 0},
    {"Да для всех", mbYesToAll, mrYesToAll, 0},
    // Help closes the window with its own answer, so the caller can react.
    {"Справка", mbHelp, mrHelp, 9},
    {"Закрыть", mbClose, mrClose, 8},
    {"Повторить попытку", mbTryAgain, mrTryAgain, 10},
    {"Продолжить", mbContinue, mrContinue, 11},
};
constexpr int kButtonCount = int(sizeof kButtons / sizeof kButtons[0]);

constexpr int kClientWidth = 439, kClientHeight = 114;
constexpr int kPicPanelWidth = 64, kTextRightMargin = 12;
constexpr int kButtonWidth = 75, kButtonGap = 12;
// Room the window manager's frame and caption take around the client area.
constexpr int kFrameWidth = 16, kFrameHeight = 40;
}  // namespace

const TMessageButtonInfo* messageButtonTable(int& count) {
    count = kButtonCount;
    return kButtons;
}

TComponent* dialogOwner() {
    EnsureApplication();
    if (TCustomForm* f = Screen->ActiveForm()) return f;
    if (TCustomForm* f = Application->MainForm()) return f;
    return Application;
}

int maxDialogClientWidth() { return std::max(200, AvailableScreenArea().Width() - kFrameWidth); }
int maxDialogClientHeight() { return std::max(100, AvailableScreenArea().Height() - kFrameHeight); }

TSize fitDialogToText(int width, int aspect, const std::function<int(int, int&)>& measure) {
    const int maxW = maxDialogClientWidth();
    // The lowest the content gets within the screen: once it is that low,
    // widening further only adds empty room (many short lines).
    int ignored = 0;
    const int lowest = measure(maxW, ignored);
    int cw = std::min(width, maxW), needed = 0;
    for (;;) {
        int overflow = 0;
        needed = measure(cw, overflow);
        if (overflow > 0) cw = std::min(maxW, cw + overflow + 2);
        if (needed < cw / aspect || cw >= maxW || needed <= lowest) break;
        cw = std::min(maxW, cw + 21);
    }
    return TSize{cw, needed};
}

void placeDialogOnScreen(TCustomForm* form) {
    const TRect area = AvailableScreenArea();
    TRect around = area;
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (main && main != form && main->Showing()) around = main->BoundsRect();
    const int w = std::min(form->Width(), area.Width()), h = std::min(form->Height(), area.Height());
    int x = around.Left + (around.Width() - w) / 2, y = around.Top + (around.Height() - h) / 2;
    x = std::clamp(x, area.Left, std::max(area.Left, area.Right - w - kFrameWidth / 2));
    y = std::clamp(y, area.Top, std::max(area.Top, area.Bottom - h - kFrameHeight));
    form->SetPosition(poDesigned);
    form->SetBounds(x, y, w, h);
}

int showProgramDialog(TCustomForm* form, const std::function<void()>& prepare) {
    return ShowModalAndFree(form, [&] {
        form->AfterConstruction();
        prepare();
        placeDialogOnScreen(form);
    });
}

TPanel* makeDialogPanel(TCustomForm* form, const char* name, TAlign align, int size) {
    auto* p = new TPanel(form);
    p->SetName(name);
    p->SetParent(form);
    p->SetBevelOuter(bvNone);
    p->SetAlign(align);
    if (align == alLeft || align == alRight) p->SetWidth(size);
    else p->SetHeight(size);
    return p;
}

void makeDialogIcons(TComponent* owner, TWinControl* parent,
                     std::initializer_list<std::pair<TIconImage**, TIconKind>> icons) {
    int n = 0;
    for (const auto& [slot, kind] : icons) {
        auto* im = new TIconImage(owner);
        im->SetName("img" + std::to_string(++n));
        im->SetParent(parent);
        im->SetBounds(8, 0, 48, 48);
        im->SetKind(kind);
        im->SetVisible(false);
        *slot = im;
    }
}

// ---- TMessageViewForm

IMPLEMENT_CLASS(TMessageViewForm, TForm) {}

TMessageViewForm::TMessageViewForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("MessageViewForm");
    SetCaption(zrnTranslateString("Внимание!").str());
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    SetClientWidth(kClientWidth);
    SetClientHeight(kClientHeight);

    pnl3 = makeDialogPanel(this, "pnl3", alTop, 11);
    pnl1 = makeDialogPanel(this, "pnl1", alBottom, 36);
    pnl2 = makeDialogPanel(this, "pnl2", alLeft, kPicPanelWidth);
    makeDialogIcons(this, pnl2, {{&img1, ikQuestion}, {&img2, ikInformation}, {&img3, ikWarning}, {&img4, ikError}});

    txt1 = new TScrollText(this);
    txt1->SetName("txt1");
    txt1->SetParent(this);
    txt1->SetBounds(kPicPanelWidth, 11, kClientWidth - kPicPanelWidth - kTextRightMargin, kClientHeight - 11 - 36);
    txt1->SetAnchors(akSet(akLeft) | akSet(akTop) | akSet(akRight) | akSet(akBottom));
}

void TMessageViewForm::setKind(TMsgDlgType kind) {
    img1->SetVisible(kind == mtConfirmation);
    img2->SetVisible(kind == mtInformation);
    img3->SetVisible(kind == mtWarning);
    img4->SetVisible(kind == mtError);
}

void TMessageViewForm::setMessage(const String& text) { txt1->SetText(text); }

int TMessageViewForm::txtWidthFor(int clientWidth) const {
    return std::max(20, clientWidth - kPicPanelWidth - kTextRightMargin);
}

void TMessageViewForm::fitText() {
    const TSize fit = fitDialogToText(ClientWidth(), 3, [this](int cw, int& overflow) {
        const int tw = txt1->TextAreaWidth(txtWidthFor(cw));
        const TSize sz = MeasureWrappedText(txt1->GetText(), txt1->Font(), tw);
        FTextHeight = sz.cy;
        overflow = sz.cx - tw;
        return pnl1->Height() + pnl3->Height() + sz.cy + 4;
    });
    SetClientWidth(fit.cx);
    SetClientHeight(std::clamp(fit.cy, kClientHeight, maxDialogClientHeight()));
    txt1->SetBounds(kPicPanelWidth, pnl3->Height(), txtWidthFor(fit.cx),
                    ClientHeight() - pnl3->Height() - pnl1->Height());
}

void TMessageViewForm::makeButtons(TMsgDlgButtons buttons) {
    std::vector<TButton*> made;
    for (const TMessageButtonInfo& row : kButtons) {
        if (!(buttons & (1u << row.button))) continue;
        auto* b = new TButton(this);
        b->SetName("btn" + std::to_string(int(row.button)));
        b->SetParent(pnl1);
        b->SetCaption(zrnTranslateString(row.caption).str());
        b->SetModalResult(row.modalResult);
        b->SetAnchors(akSet(akTop) | akSet(akRight));
        if (row.modalResult == mrYes || row.modalResult == mrOk) {
            b->SetDefault(true);
            SetActiveControl(b);
        }
        if (row.modalResult == mrAbort || row.modalResult == mrClose) b->SetCancel(true);
        made.push_back(b);
    }
    if (made.size() == 1) made[0]->SetCancel(true);
    // Right to left, the last made at the right; the window widens when they
    // do not fit.
    std::vector<int> widths;
    int total = 2;
    for (TButton* b : made) {
        const int w = std::max(kButtonWidth, MeasureWrappedText(b->Caption(), b->Font(), 1000).cx + 16);
        widths.push_back(w);
        total += w + kButtonGap;
    }
    if (ClientWidth() < total) SetClientWidth(std::min(total, maxDialogClientWidth()));
    int x = ClientWidth() - 2;
    for (size_t i = made.size(); i-- > 0;) {
        const int step = widths[i] + kButtonGap;
        made[i]->SetBounds(x - step, 6, widths[i], 25);
        x -= step;
    }
    if (!made.empty() && !ActiveControl()) SetActiveControl(made.back());
    txt1->SetWidth(txtWidthFor(ClientWidth()));
}

// ---- fronts

int showMessageWindow(const char* text, TMsgDlgType kind, TMsgDlgButtons buttons, const char* caption) {
    if (!buttons) buttons = mbSet(mbOK);
    auto* f = new TMessageViewForm(dialogOwner());
    return showProgramDialog(f, [&] {
        f->setKind(kind);
        if (caption) f->SetCaption(caption);
        f->setMessage(text ? text : "");
        f->fitText();
        f->makeButtons(buttons);
    });
}

int messageDlg(const char* text, TMsgDlgType kind, TMsgDlgButtons buttons, int) {
    static const char* const captions[] = {"Предупреждение", "Ошибка", "Информация", "Подтверждение"};
    const int k = (kind >= mtWarning && kind <= mtConfirmation) ? int(kind) : int(mtInformation);
    return showMessageWindow(text, TMsgDlgType(k), buttons, zrnTranslateString(captions[k]).c_str());
}

int messageBox(void*, const char* text, const char* caption, uint32_t style) {
    TMsgDlgType kind;
    switch (style & 0xF0) {
    case 0x20: kind = mtConfirmation; break;
    case 0x30: kind = mtWarning; break;
    case 0x40: kind = mtInformation; break;
    default: kind = mtError; break;
    }
    TMsgDlgButtons set;
    switch (style & 0xF) {
    case 1: set = mbSet(mbOK, mbCancel); break;
    case 2: set = mbSet(mbAbort, mbRetry, mbIgnore); break;
    case 3: set = mbSet(mbYes, mbNo, mbCancel); break;
    case 4: set = mbSet(mbYes, mbNo); break;
    case 5: set = mbSet(mbRetry, mbCancel); break;
    case 6: set = mbSet(mbCancel, mbTryAgain, mbContinue); break;
    default: set = mbSet(mbOK); break;
    }
    const int mr = showMessageWindow(text, kind, set, caption);
    for (const TMessageButtonInfo& row : kButtons)
        if (row.modalResult == mr) return row.boxResult;
    return 8;
}

int runtimeMessageHook(const char* text, int isError) {
    if (isError) return messageBox(nullptr, text, zrnTranslateString("Ошибка!").c_str(), 0x10);
    return messageBox(nullptr, text, zrnTranslateString("Внимание!").c_str(), 0x30);
}

void installMessageHook() { kvdSetShowMessageFunc(runtimeMessageHook, 0); }
