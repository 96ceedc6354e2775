// Form translation: the program's forms are written in Russian and their
// texts are translated by source text as they are created (or first become
// active); the language menu chooses the language for the next start.
#pragma once

#include <memory>
#include <string>

#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"

// The translation of a text, or the text itself when there is none.
std::u16string zrnTranslateStringW(const std::u16string& text);
String zrnTranslateStringAS(const String& text);
std::u16string zrnTranslateStringUN(const std::u16string& text);

// Translates a component and everything it owns, with the main translator's
// property names (or "Caption,Hint,Items" when there is no translator).
void translateComponentProperties(TComponent* c);

// Message callback of the translator: text, dialog kind, buttons -> result.
using TCFTrMessageFuncs = std::function<int(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons)>;

// Left on a form that the main translator walked: the language it is in.
class TCFormTranslMarker : public TComponent {
    DECLARE_CLASS(TCFormTranslMarker)
    explicit TCFormTranslMarker(TComponent* AOwner, int defLanguage = 1);
    int DefLanguage() const { return defLanguage_; }
    int LastLanguage() const { return lastLanguage_; }
    void SetLastLanguage(int v) { lastLanguage_ = v; }

private:
    int defLanguage_;
    int lastLanguage_ = -1;
};

class TCFormTranslator : public TComponent {
    DECLARE_CLASS(TCFormTranslator)
    explicit TCFormTranslator(TComponent* AOwner);
    ~TCFormTranslator() override;

    int DefLanguageID() const { return defLanguageID_; }
    void SetDefLanguageID(int v) { defLanguageID_ = v; }
    String PropsToChange() const { return propsToChange_; }
    void SetPropsToChange(const String& v);
    TMenuItem* SelectLanguageMenuItem() const { return menuItem_; }
    void SetSelectLanguageMenuItem(TMenuItem* m);
    bool Active() const { return active_; }
    void SetActive(bool v) { active_ = v; }
    bool UseMarkers() const { return useMarkers_; }
    void SetUseMarkers(bool v) { useMarkers_ = v; }
    TCFTrMessageFuncs OnMessage;

    void translateComponentProps(TComponent* c);
    void newLangMenuItem(TMenuItem* item);
    void TranslateFormCaptions();
    void ChangeLanguageClick(TObject* Sender);
    void initLangMenuItem();
    void activeFormChanged(TObject* Sender);
    void checkFormPropsTranslation(TCustomForm* form);

    TCustomForm* Form() const { return form_; }
    const TStringList& PropNames() const { return propNames_; }
    static TCFormTranslator* MainTranslator();

protected:
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

public:
    struct HookState;

private:
    int defLanguageID_ = 1;
    String propsToChange_;
    TMenuItem* menuItem_ = nullptr;
    bool active_ = false;
    bool useMarkers_ = false;
    TStringList propNames_;
    TCustomForm* form_ = nullptr;
    std::shared_ptr<HookState> hook_;
};

// The property walk of one object with a sorted list of property names.
void translateObjectProps(TObject* obj, const TStringList& names);
