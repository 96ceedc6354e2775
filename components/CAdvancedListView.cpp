#include "components/CAdvancedListView.h"

#include <cstdio>
#include <fstream>

#include "components/ListDialogs.h"
#include "platform/framework/Clipbrd.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/MarkupEscape.h"
#include "platform/runtime/TCString.h"
#include "platform/runtime/Translation.h"

namespace {

String htmlColor(TColor c) {
    int32_t rgb = ColorToRGB(c);
    char buf[16];
    std::snprintf(buf, sizeof buf, "\"#%02X%02X%02X\"", rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
    return buf;
}

const char* alignWord(TAlignment a) { return a == taRightJustify ? "RIGHT" : a == taCenter ? "CENTER" : "LEFT"; }

int cellAlignment(TAlignment a) { return a == taRightJustify ? 1 : a == taCenter ? 2 : 0; }
}  // namespace

// ---- TCursorSetter

TCursorSetter::TCursorSetter(TCursor cursor) : FOld(Screen ? Screen->Cursor() : crDefault) {
    if (Screen) Screen->SetCursor(cursor);
    if (Application) Application->ProcessMessages();
}

TCursorSetter::~TCursorSetter() {
    if (Screen) Screen->SetCursor(FOld);
    if (Application) Application->ProcessMessages();
}

// ---- TCAdvancedListView

IMPLEMENT_CLASS(TCAdvancedListView, TListView) {
    r.Integer("SortColumn", &TCAdvancedListView::SortColumn, &TCAdvancedListView::SetSortColumn);
    r.Integer("SortIncrImageIndex", &TCAdvancedListView::SortIncrImageIndex,
              &TCAdvancedListView::SetSortIncrImageIndex);
    r.Integer("SortDecrImageIndex", &TCAdvancedListView::SortDecrImageIndex,
              &TCAdvancedListView::SetSortDecrImageIndex);
    r.Boolean("SortGrown", &TCAdvancedListView::SortGrown, &TCAdvancedListView::SetSortGrown);
    r.Object<TTblPrintSettings>("PrinterSettings", &TCAdvancedListView::PrinterSettings, nullptr);
    r.Object<TTblExportsSettings>("ExportsSettings", &TCAdvancedListView::ExportsSettings, nullptr);
    r.Str("Title", &TCAdvancedListView::GetTitle, &TCAdvancedListView::SetTitle);
    r.Integer("SearchInColumn", &TCAdvancedListView::SearchInColumn, &TCAdvancedListView::SetSearchInColumn);
    r.Boolean("SeachNextEnabled", &TCAdvancedListView::GetSeachNextEnabled, nullptr);
    r.Boolean("SeachPrevEnabled", &TCAdvancedListView::GetSeachPrevEnabled, nullptr);
    r.Boolean("FindIgnoreCase", &TCAdvancedListView::FindIgnoreCase, &TCAdvancedListView::SetFindIgnoreCase);
    r.Str("SortColumnCaption", &TCAdvancedListView::GetSortColumnCaption, &TCAdvancedListView::SetSortColumnCaption);
}

TCAdvancedListView::TCAdvancedListView(TComponent* AOwner) : TListView(AOwner) {
    SetRowSelect(true);
    SetViewStyle(vsReport);
    SetFlatScrollBars(true);
    SetColumnClick(true);
    SetShowHint(true);
    CreatePrinter();
    FPrintSettings = new TTblPrintSettings(FPrinter);
    FExportSettings = new TTblExportsSettings(FPrinter);
    OnCompare = [this](TObject*, TListItem* a, TListItem* b, int, int& c) { c = lvCompare(a, b); };
}

TCAdvancedListView::~TCAdvancedListView() {
    delete FPrintSettings;
    delete FExportSettings;
}

void TCAdvancedListView::CreatePrinter() {
    FPrinter = new TCTablePrinter(this);
    // The handlers set on the list view at any time are the ones raised.
    FPrinter->OnBeginDoc = [this](TObject* s) { fire(OnBeginDoc, s); };
    FPrinter->OnEndDoc = [this](TObject* s) { fire(OnEndDoc, s); };
    FPrinter->OnAbortDoc = [this](TObject* s) { fire(OnAbortDoc, s); };
    FPrinter->OnNewPage = [this](TObject* s) { fire(OnNewPage, s); };
    FPrinter->OnGetRow = [this](TObject* s, TCCellTypes t, int row, bool& cancel) { GerPrintRow(s, t, row, cancel); };
}

// Sorting

void TCAdvancedListView::SetSortColumn(int n) {
    if (n >= Columns()->Count()) {
        FSortColumn = n;
        return;
    }
    bool changed = n != FSortColumn;
    if (changed) {
        FSortColumn = n;
        FSortGrown = true;
    } else {
        FSortGrown = !FSortGrown;
    }
    doSort(changed);
}

void TCAdvancedListView::ColClick(TListColumn* Column) {
    TListView::ColClick(Column);
    SetSortColumn(Column->Index());
}

void TCAdvancedListView::doSort(bool changed) {
    if (FSortColumn < 0 || FBusy) return;
    if (changed)
        for (int i = 0; i < Columns()->Count(); ++i) {
            TListColumn* c = Columns()->Items(i);
            if (c->ImageIndex() == FSortIncr || c->ImageIndex() == FSortDecr) c->SetImageIndex(-1);
        }
    FFound = -1;
    TListColumn* col = Column(FSortColumn);
    if (!col) return;
    col->SetImageIndex(FSortGrown ? FSortIncr : FSortDecr);
    // Input let through while the cursor changes cannot start a second sort.
    FBusy = true;
    try {
        TCursorSetter wait;
        if (OnSortItems) OnSortItems(this);
        else sortItems();
    } catch (...) {
        FBusy = false;
        throw;
    }
    FBusy = false;
}

void TCAdvancedListView::sortItems() { AlphaSort(); }

int TCAdvancedListView::lvCompare(TListItem* Item1, TListItem* Item2) const {
    if (FSortColumn < 0) return 0;
    TListItem* a = FSortGrown ? Item1 : Item2;
    TListItem* b = FSortGrown ? Item2 : Item1;
    // A missing sub-item compares as the empty text, so the order is strict.
    auto text = [this](TListItem* it) {
        if (FSortColumn == 0) return it->Caption();
        int c = FSortColumn - 1;
        return c < it->SubItems()->Count() ? it->SubItems()->Get(c) : String();
    };
    String ta = text(a), tb = text(b);
    if (OnColumnsCompare) {
        int r = OnColumnsCompare(const_cast<TCAdvancedListView*>(this), ta, tb, FSortColumn);
        return r < 0 ? -1 : r > 0 ? 1 : 0;
    }
    return AnsiCompareText(ta, tb);
}

String TCAdvancedListView::GetSortColumnCaption() const {
    TListColumn* c = FSortColumn >= 0 ? Column(FSortColumn) : nullptr;
    return c ? c->Caption() : String();
}

void TCAdvancedListView::SetSortColumnCaption(const String& caption) {
    for (int i = 0; i < Columns()->Count(); ++i)
        if (Columns()->Items(i)->Caption() == caption) {
            if (SortType() == stNone) SetSortType(stText);
            SetSortColumn(i);
            return;
        }
}

void TCAdvancedListView::SortDialog() {
    int column = FSortColumn < 0 ? 0 : FSortColumn;
    bool ascending = FSortGrown;
    if (getSortListPars(this, column, ascending) != 0) return;
    if (column == FSortColumn && ascending == FSortGrown) return;
    bool changed = column != FSortColumn;
    FSortColumn = column;
    FSortGrown = ascending;
    doSort(changed);
}

// Searching

bool TCAdvancedListView::SearchTextEx(const String& text, bool FromStart, bool Forward, bool Next, int Column) {
    FSearchInColumn = Column;
    if (FBusy) return false;
    TCursorSetter wait;
    if (Items()->Count() == 0) {
        FFound = -1;
        return false;
    }
    FSearch = text;
    FFromStart = FromStart;
    FForward = Forward;
    int start;
    bool forward = FromStart ? true : Forward;
    if (FromStart) {
        start = 0;
    } else {
        start = FocusedRow();
        if (start < 0) start = ItemIndex();
        if (start < 0) start = FFound;
        if (Next) start += forward ? 1 : -1;
    }
    if (start >= 0 && start < Items()->Count()) {
        if (TListItem* found = searchItem(Items()->Item(start), forward)) {
            FFound = found->Index();
            found->MakeVisible(false);
            found->SetFocused(true);
            if (!MultiSelect()) found->SetSelected(true);
            Invalidate();
            return true;
        }
        FFound = -1;
    }
    if (OnValueNotFound) OnValueNotFound(this, text);
    return false;
}

bool TCAdvancedListView::SearchText(const String& text, bool FromStart, bool Forward, bool Next) {
    return SearchTextEx(text, FromStart, Forward, Next, -1);
}

bool TCAdvancedListView::SearchNext() { return SearchTextEx(FSearch, false, true, true, FSearchInColumn); }
bool TCAdvancedListView::SearchPrev() { return SearchTextEx(FSearch, false, false, true, FSearchInColumn); }

bool TCAdvancedListView::SearchItemDialog(bool withColumns, const char* historyName) {
    if (withColumns) {
        alvSearch(this, historyName);
    } else {
        String text = FSearch;
        bool fromStart = FFromStart, forward = FForward;
        if (getSearchText(text, fromStart, forward, historyName) == 0) SearchText(text, fromStart, forward, true);
    }
    return FFound != -1;
}

TListItem* TCAdvancedListView::searchItem(TListItem* start, bool forward) const {
    if (FSearch.empty() || Items()->Count() == 0) return nullptr;
    int from = start ? start->Index() : 0;
    if (!start) forward = true;
    if (forward) {
        for (int i = from; i < Items()->Count(); ++i)
            if (compareItem(i)) return Items()->Item(i);
    } else {
        for (int i = from; i >= 0; --i)
            if (compareItem(i)) return Items()->Item(i);
    }
    return nullptr;
}

bool TCAdvancedListView::compareItem(int index) const {
    TListItem* it = Items()->Item(index);
    if (!it) return false;
    String text;
    if (FSearchInColumn < 0) {
        text = it->Caption() + "|" + it->SubItems()->Text();
    } else if (FSearchInColumn == 0) {
        text = it->Caption();
    } else {
        // A row without that column does not match.
        int sub = FSearchInColumn - 1;
        if (sub >= it->SubItems()->Count()) return false;
        text = it->SubItems()->Get(sub);
    }
    return containSubString(text, FSearch);
}

bool TCAdvancedListView::containSubString(const String& text, const String& search) const {
    if (FFindIgnoreCase) return UpperCase(text).find(UpperCase(search)) != String::npos;
    return text.find(search) != String::npos;
}

bool TCAdvancedListView::GetSeachNextEnabled() const {
    int f = FocusedRow();
    return !FSearch.empty() && f >= 0 && f != Items()->Count() - 1;
}

bool TCAdvancedListView::GetSeachPrevEnabled() const {
    int f = FocusedRow();
    return !FSearch.empty() && f >= 0 && f != 0;
}

bool TCAdvancedListView::CustomDrawItem(TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage) {
    if (!Item || !Item->Owner()) return false;
    bool draw = TListView::CustomDrawItem(Item, State, Stage);
    if (!draw) return false;
    TFont* f = Canvas()->Font();
    if (Item->Index() == FFound) {
        Canvas()->Brush()->SetColor(clInfoBk);
        f->SetStyle(f->Style() | fsSet(fsUnderline));
    } else {
        f->SetStyle(f->Style() & ~fsSet(fsUnderline));
    }
    return true;
}

void TCAdvancedListView::Change(TListItem* Item, TItemChange Change) {
    TListView::Change(Item, Change);
    // The highlight goes when the user moves to another row.
    if (Change == ctState && Item && FFound >= 0 && Item->Index() != FFound && FocusedRow() == Item->Index()) {
        FFound = -1;
        Invalidate();
    }
}

// Selection and clipboard

String TCAdvancedListView::item2String(const TListItem* item) const {
    if (!item) return String();
    String s = item->Caption() + ";";
    for (int i = 0; i < item->SubItems()->Count(); ++i) s += item->SubItems()->Get(i) + ";";
    return s;
}

void TCAdvancedListView::copySelectionToClipboard() {
    if (countSelected() == 0) return;
    String text;
    for (int r = GetNextItemIndex(-1, isSet(isSelected)); r >= 0; r = GetNextItemIndex(r, isSet(isSelected)))
        text += item2String(Items()->Item(r)) + "\n";
    if (!text.empty()) Clipboard()->SetAsText(text);
}

void TCAdvancedListView::SelectAll() {
    if (!MultiSelect()) return;
    Items()->BeginUpdate();
    TListView::SelectAll();
    Items()->EndUpdate();
}

void TCAdvancedListView::ClearSelection() {
    while (TListItem* s = Selected()) s->SetSelected(false);
}

int TCAdvancedListView::countSelected() const {
    if (!OwnerData()) return SelCount();
    int n = 0;
    for (int r = GetNextItemIndex(-1, isSet(isSelected)); r >= 0; r = GetNextItemIndex(r, isSet(isSelected))) ++n;
    return n;
}

void TCAdvancedListView::ansiSetSubItemsText(TListItem* item, const char* text) {
    if (item) item->SubItems()->SetText(text ? text : "");
}

void TCAdvancedListView::KeyDown(uint16_t& Key, TShiftState Shift) {
    // Only these shortcuts are taken; every other Ctrl key keeps its meaning.
    if ((Shift & ssCtrl) && !(Shift & ssAlt)) {
        if (Key == VK_INSERT || Key == 'C') {
            copySelectionToClipboard();
            Key = 0;
        } else if (Key == 'A') {
            SelectAll();
            Key = 0;
        }
    }
    TListView::KeyDown(Key, Shift);
}

// Printing

int TCAdvancedListView::CalcRowWidth() {
    int w = 0;
    for (int i = 0; i < Columns()->Count(); ++i) w += std::max(Columns()->Items(i)->Width(), 0);
    FTotalWidth = w;
    return w;
}

void TCAdvancedListView::GerPrintRow(TObject*, TCCellTypes type, int row, bool& CancelPrint) {
    TCTablePrinter* p = FPrinter;
    int ncol = Columns()->Count();
    // Shares of a total width of 0 are equal shares.
    auto share = [this, ncol](int col) -> float {
        if (FTotalWidth <= 0) return ncol > 0 ? 1.0f / float(ncol) : 0.0f;
        TListColumn* c = Column(col);
        return c ? float(std::max(c->Width(), 0)) / float(FTotalWidth) : 0.0f;
    };
    switch (type) {
    case ctPageHeader:
        if (OnGetPageHeader) OnGetPageHeader(this, p, CancelPrint);
        return;
    case ctPageFooter:
        if (OnGetPageFooter) OnGetPageFooter(this, p, CancelPrint);
        return;
    case ctTitle:
        if (OnPrintTitle) {
            OnPrintTitle(this, p, CancelPrint);
        } else {
            TCPrintedCell* c = p->AddCell(FExportSettings->ExportTitle(), 2, 1.0f, clWhite);
            c->SetFont(FExportSettings->TitleFont());
        }
        return;
    case ctTableHeader:
        CalcRowWidth();
        for (int i = 0; i < ncol; ++i) {
            TCPrintedCell* c = p->AddCell(Columns()->Items(i)->Caption(), 2, share(i), FExportSettings->HeaderColor());
            c->SetFont(FExportSettings->HeaderFont());
        }
        return;
    case ctDataRow: {
        if (row < 0 || row >= Items()->Count()) {
            CancelPrint = true;
            return;
        }
        if (FTotalWidth == 0) CalcRowWidth();
        TListItem* it = Items()->Item(row);
        TColor body = FExportSettings->BodyColor(), border = FExportSettings->BorderColor();
        p->AddCell(it->Caption(), 2, share(0), body)->FrameColor = border;
        // Sub-items beyond the list's columns are not printed.
        for (int i = 0; i < it->SubItems()->Count() && i + 1 < ncol; ++i) {
            TCPrintedCell* c =
                p->AddCell(it->SubItems()->Get(i), cellAlignment(Column(i + 1)->Alignment()), share(i + 1), body);
            c->FrameColor = border;
        }
        return;
    }
    default: CancelPrint = true;
    }
}

void TCAdvancedListView::Print(const char* title) {
    if (!FPrinter->GetAvailable()) return;
    FPrinter->SetTitle(title ? title : "");
    FPrinter->Print();
}

void TCAdvancedListView::DefPrint() {
    TPrintDialog* dlg = new TPrintDialog(Application);
    bool ok = false;
    try {
        ok = dlg->Execute();
    } catch (...) {
        dlg->Free();
        throw;
    }
    dlg->Free();
    if (ok) {
        String t = FPrintSettings->JobTitle();
        Print(t.c_str());
    }
}

// Export

namespace {
// The caller's text with every line ending as the rest of the file's: CR LF.
String crlfLines(const char* text) {
    String out;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n' && (p == text || p[-1] != '\r')) out += '\r';
        out += *p;
    }
    return out;
}
}  // namespace

int TCAdvancedListView::SaveToHTML_Ex(const String& fileName, const char* prefix, const char* suffix) {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out) return -1;
    auto line = [&out](const String& s) { out << s << "\r\n"; };
    const TTblExportsSettings* es = FExportSettings;
    const String title = es->ExportTitle();
    line("<HTML>");
    line("<HEAD>");
    line("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">");
    if (!title.empty()) line("<TITLE>" + escapeMarkup(title) + "</TITLE>");
    line("</HEAD>");
    if (!title.empty())
        line("<FONT FACE=\"" + escapeMarkup(es->TitleFont()->Name()) +
             "\" COLOR=" + htmlColor(es->TitleFont()->Color()) + " SIZE=4><P ALIGN = \"CENTER\"><B>" +
             escapeMarkup(title) + "</B></P></FONT>");
    if (prefix) out << crlfLines(prefix);
    line("<table BORDERCOLOR=" + htmlColor(es->BorderColor()) + " border=\"1\" cellspacing=\"0\" width=\"100%\">");
    int ncol = Columns()->Count();
    int total = CalcRowWidth();
    if (FPrinter->PrintTableHeader()) {
        line("<tr>");
        for (int i = 0; i < ncol; ++i) {
            TListColumn* c = Columns()->Items(i);
            int pct = total > 0 ? std::max(c->Width(), 0) * 100 / total : 100 / ncol;
            line("<td ALIGN=CENTER VALIGN=MIDDLE WIDTH=\"" + std::to_string(pct) +
                 "%\" nowrap BGCOLOR=" + htmlColor(es->HeaderColor()) + "><FONT FACE=\"" +
                 escapeMarkup(es->HeaderFont()->Name()) + "\" COLOR=" + htmlColor(es->HeaderFont()->Color()) +
                 " SIZE=1><B>" + escapeMarkup(c->Caption()) + "</B></FONT></td>");
        }
        line("</tr>");
    }
    const String body = htmlColor(es->BodyColor());
    const String font = "<FONT FACE=\"" + escapeMarkup(es->BodyFont()->Name()) +
                        "\" COLOR=" + htmlColor(es->BodyFont()->Color()) + " SIZE=1>";
    for (int r = 0; r < Items()->Count(); ++r) {
        TListItem* it = Items()->Item(r);
        line("<tr>");
        line("<td ALIGN=CENTER VALIGN=MIDDLE BGCOLOR=" + body + ">" + font + escapeMarkup(it->Caption()) +
             "</FONT></td>");
        for (int k = 1; k < ncol; ++k) {
            const char* align = alignWord(Columns()->Items(k)->Alignment());
            if (k - 1 < it->SubItems()->Count())
                line(String("<td ALIGN=") + align + " VALIGN=MIDDLE BGCOLOR=" + body + ">" + font +
                     escapeMarkup(it->SubItems()->Get(k - 1)) + "</FONT></td>");
            else line(String("<td ALIGN=") + align + " VALIGN=MIDDLE BGCOLOR=" + body + "></td>");
        }
        line("</tr>");
    }
    line("</table><p>");
    if (suffix) out << crlfLines(suffix);
    line("</HTML>");
    out.close();
    return out.fail() ? -1 : 0;
}

void TCAdvancedListView::SaveToHTML(const char* prefix, const char* suffix) {
    TSaveDialog* dlg = new TSaveDialog(Application);
    String fileName;
    bool ok = false;
    try {
        dlg->SetFilter(tr("HTML - файлы|*.Htm").str());
        dlg->SetDefaultExt("Htm");
        String caption = tr("Экспорт в HTML").str();
        if (!GetTitle().empty()) caption += "\"" + GetTitle() + "\"";
        dlg->SetTitle(caption);
        ok = dlg->Execute();
        fileName = dlg->FileName();
    } catch (...) {
        dlg->Free();
        throw;
    }
    dlg->Free();
    // The name chosen, as the dialog's overwrite question asked about it.
    if (!ok || fileName.empty()) return;
    if (SaveToHTML_Ex(fileName, prefix, suffix) != 0)
        MessageDlg(TCString::format(tr("Не удалось записать файл \"%s\"!").c_str(), fileName.c_str()).str(), mtError,
                   mbSet(mbOK));
}
