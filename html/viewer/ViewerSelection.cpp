// The selection, the caret and find, as the application drives them, and
// the conversions between points, display positions and source positions.
#include <algorithm>
#include <vector>

#include "html/layout/Sections.h"
#include "html/text/HtmlStrings.h"
#include "html/viewer/HtmlViewer.h"
#include "html/viewer/PaintPanel.h"

void THtmlViewer::SetSelStart(int32_t Value) {
    FCaretPos = Value;
    FSectionList->SelB = FSectionList->SelE = Value;
    FPaintPanel->Invalidate();
}

int32_t THtmlViewer::SelLength() const {
    const int32_t b = FSectionList->SelB, e = FSectionList->SelE;
    // Negative when the caret sits at the selection's end.
    return b == FCaretPos ? e - b : b - e;
}

void THtmlViewer::SetSelLength(int32_t Value) {
    if (Value < 0) {
        FSectionList->SelB = std::max(0, FCaretPos + Value);
        FSectionList->SelE = FCaretPos;
    } else {
        FSectionList->SelB = FCaretPos;
        FSectionList->SelE = FCaretPos + Value;
    }
    FPaintPanel->Invalidate();
}

std::u16string THtmlViewer::SelText() {
    const int32_t len = FSectionList->GetSelLength();
    if (len <= 0) return {};
    std::vector<char16_t> buffer(size_t(len) + 1);
    const int32_t written = FSectionList->GetSelTextBuf(buffer.data(), len + 1);
    // The count includes the terminating 0.
    return std::u16string(buffer.data(), size_t(std::max(0, written - 1)));
}

int32_t THtmlViewer::GetSelTextBuf(char16_t* Buffer, int32_t BufSize) {
    if (BufSize <= 0 || !Buffer) return 0;
    return FSectionList->GetSelTextBuf(Buffer, BufSize);
}

void THtmlViewer::SelectAll() {
    if (FSectionList->Count() == 0 || NoSelect()) return;
    TSectionBase* last = FSectionList->GetItem(FSectionList->Count() - 1);
    FSectionList->SelB = 0;
    FSectionList->SelE = last->StartCurs + last->Len;
    FPaintPanel->Invalidate();
}

void THtmlViewer::SetCaretPos(int32_t Value) {
    if (Value >= 0) FCaretPos = Value;
}

bool THtmlViewer::FindEx(const std::u16string& S, bool MatchCase, bool Reverse) {
    if (S.empty()) return false;
    const std::u16string what = MatchCase ? S : LowerCaseString(S);
    const int32_t p = Reverse ? FSectionList->FindStringR(FCaretPos, what, MatchCase)
                              : FSectionList->FindString(FCaretPos, what, MatchCase);
    if (p < 0) return false;
    FSectionList->SelB = p;
    FSectionList->SelE = p + int32_t(S.size());
    FCaretPos = Reverse ? FSectionList->SelB : FSectionList->SelE;
    int32_t x = 0, y = 0;
    if (FSectionList->CursorToXY(FPaintPanel->Canvas(), p, x, y)) {
        const int32_t top = FVScrollBar->Position(), height = FPaintPanel->ClientHeight();
        if (y < top || y > top + height - 20) SetVScrollBarPosition(y - height / 2);
        const int32_t left = FHScrollBar->Position(), width = FPaintPanel->ClientWidth();
        if (x < left || x > left + width - 50) SetHScrollBarPosition(x - width / 2);
    }
    Invalidate();
    FPaintPanel->Invalidate();
    return true;
}

int32_t THtmlViewer::XYToDisplayPos(int X, int Y) {
    int32_t xr = 0, yr = 0, caretHt = 0;
    bool inText = false;
    const int32_t p =
        FSectionList->FindCursor(FPaintPanel->Canvas(), X, Y + FSectionList->YOff, xr, yr, caretHt, inText);
    return inText ? p : -1;
}

bool THtmlViewer::DisplayPosToXy(int32_t DisplayPos, int& X, int& Y) {
    int32_t x = 0, y = 0;
    const bool found = FSectionList->CursorToXY(FPaintPanel->Canvas(), DisplayPos, x, y);
    X = x;
    Y = y;
    return found;
}

int32_t THtmlViewer::FindDisplayPos(int32_t SourcePos, bool Prev) { return FSectionList->FindDocPos(SourcePos, Prev); }

int32_t THtmlViewer::FindSourcePos(int32_t DisplayPos) { return FSectionList->FindSourcePos(DisplayPos); }

bool THtmlViewer::GetCharAtPos(int32_t Pos, char16_t& Ch, TFontObj*& Font) {
    Font = nullptr;
    TSectionBase* obj = nullptr;
    if (!FSectionList->GetChAtPos(Pos, Ch, obj)) return false;
    if (auto* section = dynamic_cast<TSection*>(obj)) Font = section->Fonts.GetFontObjAt(Pos - section->StartCurs);
    return true;
}

std::u16string THtmlViewer::GetTextByIndices(int32_t AStart, int32_t ALast) {
    if (AStart < 0 || ALast < 0 || AStart >= ALast) return {};
    const int32_t savedB = FSectionList->SelB, savedE = FSectionList->SelE;
    FSectionList->SelB = FSectionList->FindDocPos(AStart, false);
    // ALast is the first source position after the text.
    FSectionList->SelE = FSectionList->FindDocPos(ALast, false);
    int32_t x = 0, y = 0;
    if (FSectionList->CursorToXY(FPaintPanel->Canvas(), FSectionList->SelB, x, y))
        FLinkStart = TPoint{x, y - FVScrollBar->Position()};
    std::u16string text;
    try {
        text = SelText();
    } catch (...) {
        FSectionList->SelB = savedB;
        FSectionList->SelE = savedE;
        throw;
    }
    FSectionList->SelB = savedB;
    FSectionList->SelE = savedE;
    return text;
}

ThtguResultType THtmlViewer::GetURL(int X, int Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                                    TFormControlObjBase*& FormControl, std::u16string& ATitle) {
    ATitle.clear();
    FormControl = nullptr;
    return FSectionList->GetURL(FPaintPanel->Canvas(), X, Y + FSectionList->YOff, UrlTarg, FormControl, &ATitle);
}

bool THtmlViewer::PtInObject(int X, int Y, TSectionBase*& Obj) {
    int ix = 0, iy = 0;
    return PtInObject(X, Y, Obj, ix, iy);
}

bool THtmlViewer::PtInObject(int X, int Y, TSectionBase*& Obj, int& IX, int& IY) {
    Obj = nullptr;
    IX = IY = 0;
    if (!PtInRect(ClientRect(), TPoint{X, Y})) return false;
    int32_t ix = 0, iy = 0;
    const bool found = FSectionList->PtInObject(X, Y + FSectionList->YOff, Obj, ix, iy) && Obj;
    IX = ix;
    IY = iy;
    return found;
}

// A form control or a link took the focus from the keyboard: it is brought into view.
void THtmlViewer::ControlEnter(TFontObj* Link, TFormControlObjBase* Control) {
    const int32_t top = FVScrollBar->Position(), height = FPaintPanel->ClientHeight();
    if (Control) {
        const int32_t y = Control->GetYPosition();
        if (y < top || y > top + height - 20) {
            SetVScrollBarPosition(y - height / 2);
            Invalidate();
        }
        return;
    }
    if (!Link || NoJump) return;
    const int32_t y = Link->DrawYY();
    if (y < top) SetVScrollBarPosition(y);
    else if (y > top + height - 30) SetVScrollBarPosition(y - height / 2);
    Invalidate();
}
