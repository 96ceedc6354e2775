#pragma once
// The program's visual style: stored per program in the current user's
// registry, applied at start, and chosen in the modeless style chooser.
#include "platform/framework/Forms.h"
#include "platform/framework/ListView.h"
#include "platform/framework/StdCtrls.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/runtime/TCString.h"

// Reads the stored style (the default when none can be read) and applies it,
// storing it back.
void applyStoredStyle(const char* defaultStyle);
// Applies a style and recolours every HTML viewer; with `store` the active
// style is written back (also when the name was unknown).
void setStyle(const String& name, bool store);
// Writes the active style's name to "Software\Zoren\<program>" value "GUIStyle".
void storeStyle();
// The registry path of the stored style.
TCString styleRegistryPath();

class TSelectVSFForm : public TForm {
    DECLARE_CLASS(TSelectVSFForm)
    explicit TSelectVSFForm(TComponent* AOwner);
    ~TSelectVSFForm() override;

    TPanel* Panel1;
    TButton* Button1;  // "Установить"
    TButton* Button2;  // "Закрыть"
    TButton* Button3;  // "Отменить"
    TListView* ListView1;

    const String& chosenStyle() const { return FChosen; }
    const String& styleAtOpen() const { return FAtOpen; }

    // Applies the style of that name; selects its item when it took.
    void applyStyle(const String& name);
    void ListView1DblClick(TObject* Sender);
    void Button3Click(TObject* Sender);

private:
    // Each button as wide as its (translated) caption; the window follows.
    void fitButtons();
    TListItem* itemOf(const String& name) const;
    void selectItem(const String& name);
    String FChosen;
    String FAtOpen;
};

// Shows the single style chooser, creating it when there is none.
void showStyleChooser();
// The chooser while it is open (null otherwise).
TSelectVSFForm* styleChooser();
