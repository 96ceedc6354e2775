#include "components/FormsTranslation.h"

#include "platform/runtime/TCString.h"
#include "platform/runtime/TCStringList.h"
#include "platform/runtime/Translation.h"

namespace {

const char* kDefaultProps = "Caption,Hint,Items";

TCFormTranslator* gMain = nullptr;

void makeNameList(const String& commaText, TStringList& out) {
    out.Clear();
    out.SetSorted(true);
    out.Duplicates = dupIgnore;
    TStringList tmp;
    tmp.SetCommaText(commaText);
    for (int i = 0; i < tmp.Count(); ++i)
        if (!tmp[i].empty()) out.Add(tmp[i]);
}

bool inList(const TStringList& names, const String& name) {
    int i;
    return names.Find(name, i);
}

bool classNamed(const TObject* obj, const char* name) {
    for (const TClassInfo* c = &obj->ClassType(); c; c = c->ClassParent())
        if (String(c->ClassName()) == name) return true;
    return false;
}

// One text: trailing blanks dropped, carriage returns removed (but one at the
// very end), translated; "\n" in the translation becomes a line break.
// An empty result means "leave the property alone".
String translateText(const String& value) {
    String v = value;
    String noCr;
    for (size_t i = 0; i < v.size(); ++i)
        if (v[i] != '\r' || i + 1 == v.size()) noCr += v[i];
    String src = TrimRight(noCr);
    if (src.empty()) return String();
    std::u16string w = zrnTranslateStringUN(TCString(src).toUtf16());
    String out = TCString::fromUtf16(w).str();
    if (out.empty()) return out;
    String res;
    for (size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '\\' && i + 1 < out.size() && out[i + 1] == 'n') {
            res += "\r\n";
            ++i;
        } else {
            res += out[i];
        }
    }
    return res;
}

}  // namespace

std::u16string zrnTranslateStringW(const std::u16string& text) {
    TCString narrow = TCString::fromUtf16(text);
    TCTranslationEntry* e = zrnFindTranslation(narrow.c_str());
    if (!e) return text;
    if (const std::u16string* cached = e->wideText()) return *cached;
    std::u16string wide = e->text.toUtf16();
    e->assignWideText(wide);
    return wide;
}

String zrnTranslateStringAS(const String& text) { return zrnTranslateString(text.c_str()).str(); }

std::u16string zrnTranslateStringUN(const std::u16string& text) { return zrnTranslateStringW(text); }

void translateObjectProps(TObject* obj, const TStringList& names) {
    if (!obj) return;
    // 1. Text properties named in the list.
    for (const TPropInfo* p : GetPropList(obj, tkStrings)) {
        if (!inList(names, p->Name) || !p->SetStr) continue;
        String value = p->GetStr(obj);
        if (value.empty()) continue;
        String t = translateText(value);
        if (!t.empty() && t != value) p->SetStr(obj, t);
    }
    // 2. A control that selects one of its items keeps its selection while
    //    the items are replaced.
    const TPropInfo* idxProp = GetPropInfo(obj, "ItemIndex");
    int64_t itemIndex = -1;
    bool keepIndex = idxProp && idxProp->Kind == tkInteger && idxProp->SetOrd;
    if (keepIndex) itemIndex = idxProp->GetOrd(obj);
    // 3. Objects held by properties.
    for (const TPropInfo* p : GetPropList(obj, kindBit(tkClass))) {
        TObject* value = p->GetObj ? p->GetObj(obj) : nullptr;
        if (!value) continue;
        if (dynamic_cast<TComponent*>(value)) continue;  // translated as an owned component
        if (auto* col = dynamic_cast<TCollection*>(value)) {
            for (int i = 0; i < col->Count(); ++i) translateObjectProps(col->Items(i), names);
        } else if (auto* s = dynamic_cast<TStrings*>(value)) {
            if (!inList(names, p->Name)) continue;
            bool changed = false;
            for (int i = 0; i < s->Count(); ++i) {
                String line = s->Get(i);
                if (line.empty()) continue;
                String t = translateText(line);
                if (t.empty() || t == line) continue;
                TObject* o = s->GetObject(i);
                s->Delete(i);
                s->InsertObject(i, t, o);
                changed = true;
            }
            if (changed && keepIndex) {
                try {
                    idxProp->SetOrd(obj, itemIndex);
                } catch (const std::exception&) {}
            }
        } else {
            translateObjectProps(value, names);
        }
    }
}

static void translateComponentTree(TComponent* c, const TStringList& names) {
    if (!c) return;
    if (auto* mi = dynamic_cast<TMenuItem*>(c)) {
        // 1. A menu item shows its action's caption.
        if (auto* a = dynamic_cast<TAction*>(mi->Action()))
            if (a->Caption() != mi->Caption()) mi->SetCaption(a->Caption());
    } else if (classNamed(c, "TToolButton")) {
        // 2. A tool button whose own text differs from its action's keeps it: only its properties.
        auto* a = dynamic_cast<TAction*>(GetPropInfo(c, "Action") ? GetObjectProp(c, "Action") : nullptr);
        if (a && GetPropInfo(c, "Caption") && GetStrProp(c, "Caption") != a->Caption()) {
            translateObjectProps(c, names);
            return;
        }
    }
    // 3. Its properties, then everything it owns, in order.
    translateObjectProps(c, names);
    for (int i = 0; i < c->ComponentCount(); ++i) translateComponentTree(c->Components(i), names);
}

void translateComponentProperties(TComponent* c) {
    if (gMain) {
        gMain->translateComponentProps(c);
        return;
    }
    TStringList names;
    makeNameList(kDefaultProps, names);
    translateComponentTree(c, names);
}

// ---- TCFormTranslMarker

IMPLEMENT_CLASS(TCFormTranslMarker, TComponent) {}

TCFormTranslMarker::TCFormTranslMarker(TComponent* AOwner, int defLanguage)
    : TComponent(AOwner), defLanguage_(defLanguage) {}

// ---- TCFormTranslator

// The screen's active-form handler installed by the main translator. It
// outlives the translator: whoever chained it keeps a working handler that
// passes on to the one it replaced.
struct TCFormTranslator::HookState {
    TCFormTranslator* self = nullptr;
    TNotifyEvent saved;
};

namespace {
struct ActiveFormHook {
    std::shared_ptr<TCFormTranslator::HookState> st;
    void operator()(TObject* sender) const {
        if (st->self) st->self->activeFormChanged(sender);
        else if (st->saved) st->saved(sender);
    }
};
}  // namespace

IMPLEMENT_CLASS(TCFormTranslator, TComponent) {
    r.Boolean("Active", &TCFormTranslator::Active, &TCFormTranslator::SetActive);
    r.Integer("DefLanguageID", &TCFormTranslator::DefLanguageID, &TCFormTranslator::SetDefLanguageID);
    r.Str("PropsToChange", &TCFormTranslator::PropsToChange, &TCFormTranslator::SetPropsToChange);
    r.Object<TMenuItem>("SelectLanguageMenuItem", &TCFormTranslator::SelectLanguageMenuItem,
                        &TCFormTranslator::SetSelectLanguageMenuItem);
    r.Boolean("UseMarkers", &TCFormTranslator::UseMarkers, &TCFormTranslator::SetUseMarkers);
}

TCFormTranslator::TCFormTranslator(TComponent* AOwner) : TComponent(AOwner) {
    form_ = dynamic_cast<TCustomForm*>(AOwner);
    if (!gMain) gMain = this;
    SetPropsToChange(kDefaultProps);
}

TCFormTranslator::~TCFormTranslator() {
    if (gMain == this) {
        if (hook_) {
            hook_->self = nullptr;
            // Put back only the handler we replaced, and only while ours is
            // still the screen's: a handler installed after ours stays.
            if (Screen) {
                auto* h = Screen->OnActiveFormChange.target<ActiveFormHook>();
                if (h && h->st == hook_) Screen->OnActiveFormChange = hook_->saved;
            }
        }
        gMain = nullptr;
    }
    if (menuItem_) menuItem_->RemoveFreeNotification(this);
}

TCFormTranslator* TCFormTranslator::MainTranslator() { return gMain; }

void TCFormTranslator::SetPropsToChange(const String& v) {
    propsToChange_ = v;
    makeNameList(v, propNames_);
}

void TCFormTranslator::SetSelectLanguageMenuItem(TMenuItem* m) {
    if (m == menuItem_) return;
    if (menuItem_) menuItem_->RemoveFreeNotification(this);
    menuItem_ = m;
    if (m) m->FreeNotification(this);
}

void TCFormTranslator::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == menuItem_) menuItem_ = nullptr;
}

void TCFormTranslator::translateComponentProps(TComponent* c) { translateComponentTree(c, propNames_); }

void TCFormTranslator::newLangMenuItem(TMenuItem* item) {
    SetSelectLanguageMenuItem(item);
    initLangMenuItem();
}

void TCFormTranslator::Loaded() {
    TComponent::Loaded();
    if (IsDesigning()) return;
    initLangMenuItem();
    TranslateFormCaptions();
    if (gMain == this && useMarkers_ && Screen && !hook_) {
        hook_ = std::make_shared<HookState>();
        hook_->self = this;
        hook_->saved = Screen->OnActiveFormChange;
        Screen->OnActiveFormChange = ActiveFormHook{hook_};
    }
}

void TCFormTranslator::TranslateFormCaptions() {
    if (!form_) return;
    int cur = getCurrentLanguageID();
    if (cur == -1 || cur == defLanguageID_) return;
    translateComponentProps(form_);
}

void TCFormTranslator::activeFormChanged(TObject*) {
    if (IsDesigning()) return;
    if (Screen) checkFormPropsTranslation(Screen->ActiveForm());
    if (hook_ && hook_->saved) hook_->saved(Screen);
}

void TCFormTranslator::checkFormPropsTranslation(TCustomForm* form) {
    if (!form || form == form_ || form->IsDesigning()) return;
    TCFormTranslMarker* marker = nullptr;
    for (int i = 0; i < form->ComponentCount(); ++i) {
        TComponent* c = form->Components(i);
        if (dynamic_cast<TCFormTranslator*>(c)) return;  // the form translates itself
        if (!marker) marker = dynamic_cast<TCFormTranslMarker*>(c);
    }
    if (!marker) marker = new TCFormTranslMarker(form, defLanguageID_);
    int cur = getCurrentLanguageID();
    if (cur != marker->LastLanguage()) {
        translateComponentProps(form);
        marker->SetLastLanguage(cur);
    }
}

void TCFormTranslator::initLangMenuItem() {
    if (!menuItem_ || !active_) return;
    menuItem_->Clear();
    TCStringList langs;
    if (!getSupportedLanguages(langs)) return;
    int cur = getCurrentLanguageID();
    if (cur == -1) cur = defLanguageID_;
    TComponent* owner = Owner() ? Owner() : static_cast<TComponent*>(this);
    for (int i = 0; i < langs.count(); ++i) {
        auto* item = new TMenuItem(owner);
        int id = int(langs[i].object());
        item->SetCaption(langs[i].str());
        item->SetTag(id);
        item->SetGroupIndex(111);
        item->SetRadioItem(true);
        item->SetChecked(id == cur);
        item->OnClick = [this](TObject* s) { ChangeLanguageClick(s); };
        menuItem_->Add(item);
    }
}

void TCFormTranslator::ChangeLanguageClick(TObject* Sender) {
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!item || item->Checked()) return;
    if (!storeLanguageID(int(item->Tag()))) return;
    String msg =
        TCString::fromUtf16(
            zrnTranslateStringW(TCString("Языковые изменения вступят в силу после перезагрузки программы!").toUtf16()))
            .str();
    if (OnMessage) OnMessage(msg, mtInformation, mbSet(mbOK));
    else MessageDlg(msg, mtInformation, mbSet(mbOK), 0);
}
