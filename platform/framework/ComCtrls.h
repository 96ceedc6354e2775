// Common controls: progress bar, up-down buttons and the page control with
// its tab sheets. (List and tree views join this family as the windows need them.)
#pragma once

#include <vector>

#include "platform/framework/Controls.h"
#include "platform/framework/ImgList.h"

enum TProgressBarOrientation { pbHorizontal, pbVertical };
extern const TEnumInfo ProgressBarOrientationInfo;
// Marquee: a bar that runs without a position (work of unknown length).
enum TProgressBarStyle { pbstNormal, pbstMarquee };
extern const TEnumInfo ProgressBarStyleInfo;

class TProgressBar : public TWinControl {
    DECLARE_CLASS(TProgressBar)
    explicit TProgressBar(TComponent* AOwner);
    int Min() const { return FMin; }
    void SetMin(int v);
    int Max() const { return FMax; }
    void SetMax(int v);
    int Position() const { return FPosition; }
    void SetPosition(int v);  // kept within Min..Max
    int Step() const { return FStep; }
    void SetStep(int v) { FStep = v; }
    void StepIt() { SetPosition(FPosition + FStep); }
    void StepBy(int delta) { SetPosition(FPosition + delta); }
    bool Smooth() const { return FSmooth; }
    void SetSmooth(bool v) { FSmooth = v; }
    TProgressBarOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TProgressBarOrientation v);
    TProgressBarStyle Style() const { return FStyle; }
    void SetStyle(TProgressBarStyle v);
    // The colour of the filled part; clDefault: the style's.
    TColor BarColor() const { return FBarColor; }
    void SetBarColor(TColor v);

private:
    void Apply();
    int FMin = 0, FMax = 100, FPosition = 0, FStep = 10;
    bool FSmooth = false;
    TProgressBarOrientation FOrientation = pbHorizontal;
    TProgressBarStyle FStyle = pbstNormal;
    TColor FBarColor = clDefault;
};

enum TUDAlignButton { udLeft, udRight };
extern const TEnumInfo UDAlignButtonInfo;
enum TUDBtnType { btNext, btPrev };
using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;

// Up and down arrows that step a number, shown in an associated edit.
class TUpDown : public TWinControl {
    DECLARE_CLASS(TUpDown)
    explicit TUpDown(TComponent* AOwner);
    int Min() const { return FMin; }
    void SetMin(int v) {
        FMin = v;
        SetPosition(FPosition);
    }
    int Max() const { return FMax; }
    void SetMax(int v) {
        FMax = v;
        SetPosition(FPosition);
    }
    int Position() const;
    void SetPosition(int v);
    int Increment() const { return FIncrement; }
    void SetIncrement(int v) { FIncrement = v; }
    bool Wrap() const { return FWrap; }
    void SetWrap(bool v) { FWrap = v; }
    bool Thousands() const { return FThousands; }
    void SetThousands(bool v) { FThousands = v; }
    // The edit that shows the position; the up-down sits beside it.
    TWinControl* Associate() const { return FAssociate; }
    void SetAssociate(TWinControl* c);
    TUDAlignButton AlignButton() const { return FAlignButton; }
    void SetAlignButton(TUDAlignButton v) {
        FAlignButton = v;
        Place();
    }
    // One step as a click on an arrow does.
    void ClickButton(TUDBtnType b);
    TUDClickEvent OnClick;
    TNotifyEvent OnChanging;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void Place();
    void ShowPosition();
    int FMin = 0, FMax = 100, FPosition = 0, FIncrement = 1;
    bool FWrap = false, FThousands = true;
    TWinControl* FAssociate = nullptr;
    TUDAlignButton FAlignButton = udRight;
};

class TPageControl;
enum TTabPosition { tpTop, tpBottom };
extern const TEnumInfo TabPositionInfo;
using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

// One page of a page control: its Caption shows on the tab. Placing a sheet
// on a page control (SetParent or SetPageControl) adds its tab; only the
// active page is visible.
class TTabSheet : public TWinControl {
    DECLARE_CLASS(TTabSheet)
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;
    void SetParent(TWinControl* p) override;
    TPageControl* PageControl() const { return FPageControl; }
    void SetPageControl(TPageControl* pc);
    int PageIndex() const;  // -1 off a page control
    void SetPageIndex(int v);
    // Index among the shown tabs, -1 when the tab is hidden.
    int TabIndex() const;
    bool TabVisible() const { return FTabVisible; }
    void SetTabVisible(bool v);

protected:
    void ApplyText() override;

private:
    friend class TPageControl;
    TPageControl* FPageControl = nullptr;
    bool FTabVisible = true;
};

// Tabs above a stack of tab sheets. Setting ActivePage from code fires no
// event; a tab chosen by the user asks OnChanging first, then fires OnChange.
class TPageControl : public TWinControl {
    DECLARE_CLASS(TPageControl)
    explicit TPageControl(TComponent* AOwner);
    ~TPageControl() override;
    int PageCount() const { return int(FPages.size()); }
    TTabSheet* Pages(int i) const;  // null out of range
    TTabSheet* ActivePage() const { return FActivePage; }
    void SetActivePage(TTabSheet* page);  // a sheet of another control is ignored
    int ActivePageIndex() const;
    void SetActivePageIndex(int i);  // out of range: no active page
    // The next (or previous) sheet with a shown tab after `current`, wrapping.
    TTabSheet* FindNextPage(TTabSheet* current, bool forward, bool checkTabVisible) const;
    void SelectNextPage(bool forward, bool checkTabVisible = true);
    // As a click on the tab: OnChanging may refuse, OnChange follows.
    bool ChooseTab(TTabSheet* page);
    // Where the tabs lie: above the pages (the default) or below them.
    TTabPosition TabPosition() const { return FTabPosition; }
    void SetTabPosition(TTabPosition v);

    TTabChangingEvent OnChanging;
    TNotifyEvent OnChange;

    QWidget* ClientWidget() const override;

protected:
    void Resize() override;

private:
    friend class TTabSheet;
    struct Impl;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void MovePage(TTabSheet* page, int index);
    void UpdateTabs();
    void LayoutPages();
    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
    TTabPosition FTabPosition = tpTop;
    Impl* FImpl;
};

class TToolBar;
class TPopupMenu;

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
extern const TEnumInfo ToolButtonStyleInfo;

// A button of a tool bar: Caption, Hint, Enabled, Visible and ImageIndex
// follow its Action. It shows picture ImageIndex of the bar's Images (none
// out of range), under its caption when the bar shows captions, alone with
// the caption as its tool tip when not. A drop-down button shows
// DropdownMenu from its arrow; the main part clicks (OnClick or the action).
// Separators are gaps between the groups.
class TToolButton : public TControl {
    DECLARE_CLASS(TToolButton)
    explicit TToolButton(TComponent* AOwner);
    ~TToolButton() override;
    void SetParent(TWinControl* p) override;
    void SetVisible(bool v) override;
    TToolBar* ToolBar() const;
    TToolButtonStyle Style() const { return FStyle; }
    void SetStyle(TToolButtonStyle v);
    bool IsSeparator() const { return FStyle == tbsSeparator || FStyle == tbsDivider; }
    TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
    void SetDropdownMenu(TPopupMenu* m);
    bool Down() const { return FDown; }
    void SetDown(bool v);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v);
    // True when the button shows its picture and no caption.
    bool ShowsPictureOnly() const;
    // Shows DropdownMenu under the button, as its arrow does; false without one.
    bool CheckMenuDropdown();
    // Switches the button at run time to a drop-down button: it drops its
    // action, its arrow shows menu and its own click runs onClick. It stays
    // enabled and shown whatever state the dropped action left on it.
    void SwitchToMenu(TPopupMenu* menu, TNotifyEvent onClick);
    // Switches back to a plain button that follows action: no menu, no OnClick.
    void SwitchToAction(TBasicAction* action);
    void Click() override;
    void ActionChanged(TBasicAction* a) override;

protected:
    void ApplyText() override;
    void ApplyHint() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TToolBar;
    void ApplyStyle();
    void ApplyImage();
    void FillMenu();
    TToolButtonStyle FStyle = tbsButton;
    TPopupMenu* FDropdownMenu = nullptr;
    bool FDown = false;
    int FImageIndex = -1;
};

// Tool buttons side by side in one row, in the order they were placed on the
// bar; hidden buttons take no room. Aligned to the top by default. The
// buttons are ButtonWidth x ButtonHeight, grown to hold their pictures and
// shown captions; the bar grows with them. A Wrapable bar starts another row
// where the next button would stick out, and is as high as its rows.
// Disabled buttons show DisabledImages, or their picture greyed without it.
class TToolBar : public TWinControl {
    DECLARE_CLASS(TToolBar)
    explicit TToolBar(TComponent* AOwner);
    ~TToolBar() override;
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* v);
    TCustomImageList* DisabledImages() const { return FDisabledImages; }
    void SetDisabledImages(TCustomImageList* v);
    int ButtonCount() const;
    TToolButton* Buttons(int i) const;  // null out of range
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int v);
    int ButtonHeight() const { return FButtonHeight; }
    void SetButtonHeight(int v);
    bool ShowCaptions() const { return FShowCaptions; }
    void SetShowCaptions(bool v);
    bool Flat() const { return FFlat; }
    void SetFlat(bool v);
    bool Wrapable() const { return FWrapable; }
    void SetWrapable(bool v);
    // Places the buttons again (after a button was shown, hidden, added or removed).
    void LayoutButtons();

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Resize() override;

private:
    void SetImageList(TCustomImageList*& field, TChangeLink& link, TCustomImageList* v);
    void ImagesChanged();
    TCustomImageList* FImages = nullptr;
    TCustomImageList* FDisabledImages = nullptr;
    TChangeLink FImagesLink, FDisabledImagesLink;
    bool FWrapable = true, FLayingOut = false;
    int FHeightBeforeWrap = -1;  // the one-row height while wrapped, else -1
    int FButtonWidth = 23, FButtonHeight = 22;
    bool FShowCaptions = false, FFlat = true;
};
