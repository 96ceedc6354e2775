#include "dialogs/ProgressForm.h"

#include <algorithm>

#include "dialogs/MessageView.h"

namespace {
constexpr int kMinWidth = 402, kMinHeight = 73;
constexpr int kTextLeft = 60, kTextTop = 12, kBarHeight = 14;
}  // namespace

IMPLEMENT_CLASS(TCProgressForm, TForm) {}

TCProgressForm::TCProgressForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("CProgressForm");
    SetBorderStyle(bsNone);
    SetPosition(poMainFormCenter);
    SetFormStyle(fsStayOnTop);
    SetClientWidth(kMinWidth);
    SetClientHeight(kMinHeight);
    Constraints_MinWidth = kMinWidth;
    Constraints_MinHeight = kMinHeight;

    Panel1 = new TPanel(this);
    Panel1->SetName("Panel1");
    Panel1->SetParent(this);
    Panel1->SetBounds(0, 0, kMinWidth, kMinHeight);

    img1 = new TBusyPicture(this);
    img1->SetName("img1");
    img1->SetParent(Panel1);
    img1->SetBounds(14, (kMinHeight - 32) / 2, 32, 32);

    CAnimText = new TLabel(this);
    CAnimText->SetName("CAnimText");
    CAnimText->SetParent(Panel1);
    CAnimText->SetAutoSize(false);
    CAnimText->SetWordWrap(true);
    CAnimText->SetAlignment(taCenter);
    CAnimText->SetLayout(tlCenter);
    CAnimText->SetBounds(kTextLeft, kTextTop, kMinWidth - kTextLeft - 12, kMinHeight - 2 * kTextTop);

    ProgressBar1 = new TProgressBar(this);
    ProgressBar1->SetName("ProgressBar1");
    ProgressBar1->SetParent(this);
    ProgressBar1->SetBounds(0, kMinHeight, kMinWidth, kBarHeight);
    ProgressBar1->SetVisible(false);
}

void TCProgressForm::placeCentred() {
    const int h = Panel1->Height() + (ProgressBar1->Visible() ? kBarHeight : 0);
    SetClientHeight(std::max(kMinHeight, h));
    ProgressBar1->SetBounds(0, Panel1->Height(), ClientWidth(), kBarHeight);
    placeDialogOnScreen(this);
}

void TCProgressForm::fitText(const char* text) {
    const TSize sz = MeasureWrappedText(text ? text : "", CAnimText->Font(), CAnimText->Width());
    const int maxH = maxDialogClientHeight() - kBarHeight;
    const int labelH = std::min(sz.cy + 2, std::max(20, maxH - 2 * CAnimText->Top()));
    CAnimText->SetHeight(labelH);
    Panel1->SetHeight(std::max(kMinHeight, 2 * CAnimText->Top() + labelH));
    img1->SetTop((Panel1->Height() - img1->Height()) / 2);
    placeCentred();
}

void TCProgressForm::showText(const char* text) {
    if (!Visible()) Show();
    fitText(text);
    CAnimText->SetCaption(text ? text : "");
    Repaint();
    Application->ProcessMessages();
}

bool TCProgressForm::progress(const char* text, int position, uint32_t flags, int maximum) {
    if (flags == 0) {
        Hide();
        return true;
    }
    if (!Visible()) Show();
    if (flags & PRF_SAVE) savedTexts.add(CAnimText->Caption().c_str());
    if (flags & PRF_TEXT) {
        showText(text);
    } else if ((flags & PRF_RESTORE) && savedTexts.count() > 0) {
        const TCString first = savedTexts[0];
        savedTexts.remove(0);
        showText(first.c_str());
    }
    if (flags & PRF_NOBAR) {
        ProgressBar1->SetVisible(false);
        placeCentred();
    } else if (flags & (PRF_POSITION | PRF_MAXIMUM)) {
        if (!ProgressBar1->Visible()) {
            ProgressBar1->SetVisible(true);
            placeCentred();
        }
        if (flags & PRF_MAXIMUM) ProgressBar1->SetMax(maximum);
        if (flags & PRF_POSITION) ProgressBar1->SetPosition(position);
        Application->ProcessMessages();
    }
    return true;
}

void TCProgressForm::DoShow() {
    TForm::DoShow();
    img1->SetActive(true);
}

void TCProgressForm::DoHide() {
    img1->SetActive(false);
    TForm::DoHide();
}

void TCProgressForm::Activate() {
    TForm::Activate();
    if (!Visible()) Show();
}

void TCProgressForm::Deactivate() {
    TForm::Deactivate();
    if (hideOnDeactivate) {
        FStayOnTop = 0;
        Hide();
    } else if (FStayOnTop > 0) {
        Application->ProcessMessages();
        BringToFront();
    }
}
