#include "app/config/StyleChooser.h"

#include <algorithm>

#include "dialogs/DialogLayout.h"
#include "components/CfgFile.h"
#include "components/FormsTranslation.h"
#include "html/viewer/WindowViewer.h"
#include "platform/framework/AppStyle.h"
#include "platform/framework/MsgCtrls.h"
#include "platform/runtime/FileUtils.h"
#include "views/HtmlViewerColor.h"

namespace {
TSelectVSFForm* g_chooser = nullptr;
constexpr size_t kStyleNameMax = 256;
constexpr int kWindowBorder = 8;

void recolourViewers(TWinControl* parent) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (auto* viewer = dynamic_cast<TWindowHtmlViewer*>(c)) setHtmlViewerColor(viewer);
        else if (auto* w = dynamic_cast<TWinControl*>(c)) recolourViewers(w);
    }
}
}  // namespace

TCString styleRegistryPath() { return TCString::format("Software\\Zoren\\%s.GUIStyle", getApplName().c_str()); }

void storeStyle() {
    const String name = TStyleManager::ActiveStyleName();
    if (!name.empty()) writeRegPathString(styleRegistryPath().c_str(), name.c_str());
}

void setStyle(const String& name, bool store) {
    TStyleManager::TrySetStyle(name, true);
    if (store) storeStyle();
    if (!Screen) return;
    for (int i = 0; i < Screen->FormCount(); ++i) recolourViewers(Screen->Forms(i));
}

void applyStoredStyle(const char* defaultStyle) {
    const char* def = defaultStyle ? defaultStyle : "";
    TCString name;
    if (!readRegPathString(styleRegistryPath().c_str(), name, def) || Utf8Length(name.str()) > int(kStyleNameMax))
        name = def;
    if (!name.isEmpty()) setStyle(name.str(), true);
}

// ---- the chooser

IMPLEMENT_CLASS(TSelectVSFForm, TForm) {}

TSelectVSFForm::TSelectVSFForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("SelectVSFForm");
    SetCaption("Выбор стиля");
    SetBorderStyle(bsSizeToolWin);
    SetClientWidth(228);
    SetClientHeight(394);
    Panel1 = placeControl<TPanel>(this, this, "Panel1", 0, 0, 228, 36);
    Panel1->SetAlign(alTop);
    Panel1->SetBevelOuter(bvNone);
    Button1 = placeButton(this, Panel1, "Button1", "Установить", 4, 6, 72, mrNone);
    Button1->SetEnabled(false);
    Button1->OnClick = [this](TObject* s) { ListView1DblClick(s); };
    Button2 = placeButton(this, Panel1, "Button2", "Закрыть", 78, 6, 72, mrNone);
    Button2->OnClick = [this](TObject*) { Close(); };
    Button3 = placeButton(this, Panel1, "Button3", " Отменить", 152, 6, 72, mrNone);
    Button3->SetCancel(true);
    Button3->OnClick = [this](TObject* s) { Button3Click(s); };

    ListView1 = placeControl<TListView>(this, this, "ListView1", 0, 36, 228, 358);
    ListView1->SetAlign(alClient);
    ListView1->SetViewStyle(vsReport);
    ListView1->SetReadOnly(true);
    ListView1->SetGridLines(true);
    ListView1->SetRowSelect(true);
    ListView1->SetHideSelection(false);
    TListColumn* column = ListView1->Columns()->Add();
    column->SetCaption("Имя стиля");
    column->SetAutoSize(true);
    ListView1->OnSelectItem = [this](TObject*, TListItem*, bool) { Button1->SetEnabled(ListView1->Selected()); };
    ListView1->OnDblClick = [this](TObject* s) { ListView1DblClick(s); };
    OnClose = [](TObject*, TCloseAction& action) {
        storeStyle();
        action = caFree;
    };

    translateComponentProperties(this);
    fitButtons();
    // Top right corner of the screen's work area, with room for the border
    // the window system draws outside the window.
    const TRect area = AvailableScreenArea();
    SetLeft(std::max(area.Left, area.Right - Width() - kWindowBorder));
    SetTop(area.Top);
    FAtOpen = TStyleManager::ActiveStyleName();
    for (const String& name : TStyleManager::StyleNames()) ListView1->Items()->Add()->SetCaption(name);
    ListView1->SetSortType(stText);
    selectItem(FAtOpen);
}

void TSelectVSFForm::fitButtons() {
    constexpr int kMargin = 4, kGap = 2, kMinWidth = 72;
    int left = kMargin;
    for (TButton* b : {Button1, Button2, Button3}) {
        b->SetBounds(left, b->Top(), std::max(kMinWidth, b->FitWidth()), b->Height());
        left += b->Width() + kGap;
    }
    if (left - kGap + kMargin > ClientWidth()) SetClientWidth(left - kGap + kMargin);
}

TSelectVSFForm::~TSelectVSFForm() {
    if (g_chooser == this) g_chooser = nullptr;
}

TListItem* TSelectVSFForm::itemOf(const String& name) const {
    for (int i = 0; i < ListView1->Items()->Count(); ++i)
        if (ListView1->Items()->Item(i)->Caption() == name) return ListView1->Items()->Item(i);
    return nullptr;
}

void TSelectVSFForm::selectItem(const String& name) {
    TListItem* item = itemOf(name);
    ListView1->SetSelected(item);
    if (item) item->MakeVisible(false);
    Button1->SetEnabled(item != nullptr);
}

void TSelectVSFForm::applyStyle(const String& name) {
    setStyle(name, true);
    if (TStyleManager::ActiveStyleName() != name) return;
    FChosen = name;
    selectItem(name);
}

void TSelectVSFForm::ListView1DblClick(TObject*) {
    if (TListItem* item = ListView1->Selected()) applyStyle(item->Caption());
}

void TSelectVSFForm::Button3Click(TObject*) {
    if (!FAtOpen.empty()) applyStyle(FAtOpen);
}

void showStyleChooser() {
    if (!g_chooser) {
        EnsureApplication();
        g_chooser = new TSelectVSFForm(Application);
        g_chooser->AfterConstruction();
    }
    g_chooser->Show();
    g_chooser->BringToFront();
}

TSelectVSFForm* styleChooser() { return g_chooser; }
