#include "dialogs/LogGrabView.h"

#include <algorithm>
#include <cstring>

#include "dialogs/MessageView.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/Translation.h"

namespace {
constexpr int kClientWidth = 480, kClientHeight = 145;
constexpr int kTopHeight = 8, kButtonsHeight = 36, kPicWidth = 64, kRightMargin = 8;
}  // namespace

IMPLEMENT_CLASS(TLogGrabViewForm, TForm) {}

TLogGrabViewForm::TLogGrabViewForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("LogGrabViewForm");
    SetCaption(zrnTranslateString("Результат операции").str());
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    SetClientWidth(kClientWidth);
    SetClientHeight(kClientHeight);

    pnl1 = makeDialogPanel(this, "pnl1", alTop, kTopHeight);
    pnl2 = makeDialogPanel(this, "pnl2", alBottom, kButtonsHeight);
    pnl3 = makeDialogPanel(this, "pnl3", alLeft, kPicWidth);
    makeDialogIcons(this, pnl3, {{&img1, ikQuestion}, {&img2, ikInformation}, {&img3, ikError}});

    re1 = new TLinesView(this);
    re1->SetName("re1");
    re1->SetParent(this);
    re1->SetColor(TColor(0xFFFFFC));
    re1->SetBounds(kPicWidth, kTopHeight, kClientWidth - kPicWidth - kRightMargin,
                   kClientHeight - kTopHeight - kButtonsHeight);

    lbl2 = new TLabel(this);
    lbl2->SetName("lbl2");
    lbl2->SetParent(this);
    lbl2->SetAutoSize(false);
    lbl2->SetWordWrap(true);
    lbl2->SetVisible(false);

    btn1 = new TButton(this);
    btn1->SetName("btn1");
    btn1->SetParent(pnl2);
    btn1->SetCaption(zrnTranslateString("Да").str());
    btn1->SetModalResult(mrYes);
    btn1->SetDefault(true);
    btn1->SetAnchors(akSet(akTop) | akSet(akRight));

    btn2 = new TButton(this);
    btn2->SetName("btn2");
    btn2->SetParent(pnl2);
    btn2->SetCaption(zrnTranslateString("Нет").str());
    btn2->SetModalResult(mrCancel);
    btn2->SetCancel(true);
    btn2->SetAnchors(akSet(akTop) | akSet(akRight));
}

TColor logLineColor(const char* text, uint32_t code) {
    if (isFailure(code)) return clMaroon;
    const TCString server = zrnTranslateString("Сервер");
    if (text && !server.isEmpty() && std::strncmp(text, server.c_str(), server.length()) == 0) return clNavy;
    return clBlack;
}

void TLogGrabViewForm::addLine(const char* text, uint32_t code) {
    re1->AddLine(text ? text : "", logLineColor(text, code));
    FJoined += text ? text : "";
    FJoined += "\n";
}

void TLogGrabViewForm::setLabel(const char* text) {
    if (text) {
        lbl2->SetCaption(text);
        lbl2->SetVisible(true);
    } else {
        lbl2->SetVisible(false);
    }
}

int TLogGrabViewForm::linesWidthFor(int clientWidth) const {
    return std::max(40, clientWidth - kPicWidth - kRightMargin);
}

void TLogGrabViewForm::fitText() {
    int labelH = 0;
    const TSize fit = fitDialogToText(ClientWidth(), 2, [this, &labelH](int cw, int& overflow) {
        const int lw = linesWidthFor(cw);
        const int tw = re1->TextAreaWidth(lw);
        const TSize sz = MeasureWrappedText(FJoined.str(), re1->Font(), tw);
        labelH = lbl2->Visible() ? MeasureWrappedText(lbl2->Caption(), lbl2->Font(), lw).cy + 4 : 0;
        overflow = sz.cx - tw;
        return pnl1->Height() + pnl2->Height() + sz.cy + re1->ExtraHeight() + labelH + 4;
    });
    const int cw = fit.cx;
    SetClientWidth(cw);
    SetClientHeight(std::clamp(fit.cy, kClientHeight, maxDialogClientHeight()));
    const int lw = linesWidthFor(cw);
    const int listH = ClientHeight() - pnl1->Height() - pnl2->Height() - labelH;
    re1->SetBounds(kPicWidth, pnl1->Height(), lw, std::max(20, listH));
    if (lbl2->Visible()) lbl2->SetBounds(kPicWidth, pnl1->Height() + std::max(20, listH) + 2, lw, labelH - 4);
    // Buttons at the right of the bottom panel.
    int x = cw - 8;
    for (TButton* b : {btn2, btn1}) {
        if (!b->Visible()) continue;
        b->SetBounds(x - 75, 6, 75, 25);
        x -= 75 + 12;
    }
}

int showLogGrabber(TCLogGrabber* grabber, uint32_t flags, const char* caption, const char* label) {
    if (!grabber || grabber->lines().count() == 0) return 1;
    auto* f = new TLogGrabViewForm(dialogOwner());
    return showProgramDialog(f, [&] {
        const TCStringList& lines = grabber->lines();
        for (int i = 0; i < lines.count(); ++i) f->addLine(lines[i].c_str(), uint32_t(lines[i].object()));
        const bool lastFailed = isFailure(uint32_t(lines[lines.count() - 1].object()));
        TIconImage* pic = (flags & LGV_QUESTION) ? f->img1 : ((flags & LGV_ERROR) || lastFailed) ? f->img3 : f->img2;
        pic->SetBounds(8, 0, 48, 48);
        pic->SetVisible(true);
        if (!(flags & LGV_YESNO)) {
            f->btn1->SetVisible(false);
            f->btn2->SetCaption("Ok");
            f->SetActiveControl(f->btn2);
        } else {
            f->SetActiveControl(f->btn1);
        }
        if (caption) f->SetCaption(caption);
        f->setLabel(label);
        f->fitText();
    });
}
