#include "components/CEditorsBox.h"

#include <algorithm>

#include "components/CDescriptedFlagsBox.h"
#include "components/CFileNameEdit.h"
#include "components/CNumberEdit.h"
#include "components/CheckBoxes.h"
#include "components/OidEdit.h"
#include "components/UXDateTime.h"
#include "platform/framework/MsgCtrls.h"
#include "platform/runtime/Log.h"

namespace {
int gMaxEditorHeight = 0;

// Blanks and control characters off both ends.
String trimControls(const String& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

TCDescriptedFlagsBox* newFlagsBox(TComponent* owner, TCCheckListType type, bool convert) {
    auto* b = new TCDescriptedFlagsBox(owner);
    b->SetListType(type);
    b->SetConvertValue(convert);
    b->SetRowsVisible(7);
    return b;
}

void nameEditor(TCompoundEdit* e, const String& name) {
    // A second field of the same name keeps its editor unnamed rather than
    // failing the whole box.
    try {
        if (auto* fb = dynamic_cast<TCDescriptedFlagsBox*>(e)) fb->SetName(name);
        else e->SetName(name);
    } catch (const EComponentError&) {}
}
}  // namespace

String editorHistoryKey(const String& name) {
    String safe = name;
    std::replace(safe.begin(), safe.end(), '\\', '_');
    return "software\\zoren\\X509Editors\\" + safe;
}

int createdEditorsMaxHeight() { return gMaxEditorHeight; }

TCompoundEdit* createCEditor(TComponent* owner, TCEditsEntryType type, const String& name) {
    TCompoundEdit* e = nullptr;
    switch (int(type)) {
    case -1:
    case xvtNone: return nullptr;
    case xvtBool: e = new TCBoolBox(owner); break;
    case xvtInt: e = new TCNumberEdit(owner); break;
    case xvtDate:
    case xvtTime: {
        auto* p = new TUXDateTimePicker(owner);
        p->SetKind(type == xvtDate ? dtkDate : dtkTime);
        p->DTPicker()->SetShowCheckbox(true);
        p->SetAutoGrayed(false);
        e = p;
        break;
    }
    case xvtDateTime: e = new TUXDatetimeEditor(owner); break;
    case xvtBinary: e = new TCFileNameEdit(owner); break;
    case xvtObject: e = new TCOIDEdit(owner); break;
    case xvtEnum: e = newFlagsBox(owner, clsSingleSelection, false); break;
    case xvtSet: e = newFlagsBox(owner, clsCheckboxes, true); break;
    case xvtFlags: e = newFlagsBox(owner, clsCheckboxes, false); break;
    default: {
        auto* h = new TCompoundHistoryEdit(owner);
        if (!name.empty()) {
            h->SetSaveHistory(true);
            h->SetMaxHistCount(40);
            h->RegInfo()->SetKey(editorHistoryKey(name));
            h->RegInfo()->SetValueName(name);
            h->SetLoadOnFocus(true);
            h->SetRowsVisible(5);
            h->Load();
        }
        e = h;
        break;
    }
    }
    e->SetVisible(false);
    if (auto* p = dynamic_cast<TWinControl*>(owner)) e->SetParent(p);
    nameEditor(e, name);
    gMaxEditorHeight = std::max(gMaxEditorHeight, e->Height());
    return e;
}

// ---- TCEditorsBox

IMPLEMENT_CLASS(TCEditorsBox, TScrollBox) {
    r.Boolean("DebugMode", &TCEditorsBox::DebugMode, &TCEditorsBox::SetDebugMode);
    r.Str("HistoryPrefix", &TCEditorsBox::HistoryPrefix, &TCEditorsBox::SetHistoryPrefix);
    r.Boolean("MarkRequiredFields", &TCEditorsBox::MarkRequiredFields, &TCEditorsBox::SetMarkRequiredFields);
    r.Boolean("ReadOnly", &TCEditorsBox::ReadOnly, &TCEditorsBox::SetReadOnly);
    r.Boolean("SaveValues", &TCEditorsBox::SaveValues, &TCEditorsBox::SetSaveValues);
    r.Boolean("TextAsHint", &TCEditorsBox::TextAsHint, &TCEditorsBox::SetTextAsHint);
}

TCEditorsBox::TCEditorsBox(TComponent* AOwner) : TScrollBox(AOwner) {
    SetAutoScroll(true);
    SetDoubleBuffered(true);
}

TCEditorsBox::~TCEditorsBox() {
    FRows.clear();
    FEntry = nullptr;
}

bool TCEditorsBox::setEntryEx(TCXEditsEntry* entry, bool writeBack) {
    bool ok = true;
    if (!entry) {
        if (writeBack) ok = getValues();
        Reset();
        return ok;
    }
    if (entry == FEntry) {
        setValues();
        return true;
    }
    if (writeBack) ok = getValues();
    FEntry = entry;
    createEditors();
    return ok;
}

void TCEditorsBox::Reset() {
    FEntry = nullptr;
    Clear();
}

void TCEditorsBox::Clear() {
    FRows.clear();
    while (ControlCount() > 0) Controls(ControlCount() - 1)->Free();
    UpdateScrollRange();
}

TCompoundEdit* TCEditorsBox::GetControls(int index) const {
    return index >= 0 && index < GetEditorCount() ? FRows[size_t(index)].editor : nullptr;
}

TLabel* TCEditorsBox::GetLabel(int index) const {
    return index >= 0 && index < GetEditorCount() ? FRows[size_t(index)].label : nullptr;
}

const TCEditorsBox::Row* TCEditorsBox::rowByName(const String& name, int* index) const {
    for (size_t i = 0; i < FRows.size(); ++i)
        if (SameText(FRows[i].name, name)) {
            if (index) *index = int(i);
            return &FRows[i];
        }
    return nullptr;
}

const TCEditorsBox::Row* TCEditorsBox::rowOfEditor(const TCompoundEdit* editor) const {
    if (!editor) return nullptr;
    for (const Row& r : FRows)
        if (r.editor == editor) return &r;
    return nullptr;
}

String TCEditorsBox::captionOf(const TCXEditsEntry* entry) const {
    return (FMarkRequiredFields ? entry->longName_nf() : entry->caption()).str();
}

bool TCEditorsBox::editorEnabled(const TCXEditsEntry* entry) const {
    if (FReadOnly) return false;
    return FDebugMode || entry->enabled();
}

void TCEditorsBox::createEditors() {
    FLabelWidth = 0;
    createEditorsInt();
    UpdateScrollRange();
    if (!FRows.empty()) {
        bool bar = VertScrollBarVisible();
        for (Row& r : FRows) {
            if (!bar) r.editor->SetWidth(r.editor->Width() + 17);
            r.editor->SetAnchors(r.editor->Anchors() | akSet(akRight));
        }
    }
    realignEditors();
}

void TCEditorsBox::createEditorsInt() {
    Clear();
    if (!FEntry) return;
    // The same rule decides the rows here and in getValues/setValues.
    if (FEntry->isSimple() || FEntry->getValueType() == xvtSet) {
        addEditor(FEntry, 0);
        return;
    }
    if (TCXEditsList* list = FEntry->getSubEntries())
        for (int i = 0; i < list->count(); ++i) addEditor(list->at(i), 0);
}

TCompoundEdit* TCEditorsBox::addEditor(TCXEditsEntry* entry, int clientWidth) {
    if (!entry) return nullptr;
    if (clientWidth == 0) clientWidth = ClientWidth() - 17;
    TCEditsEntryType type = entry->valueType();
    String name = entry->getName().str();
    String caption = captionOf(entry);
    String value = entry->getValue().str();
    int labelColumn = clientWidth / 3 + 20;
    int top = FRows.empty() ? 2 : FRows.back().editor->Top() + FRows.back().editor->Height() + 5;

    if (OnBeforeCreateEditor && !OnBeforeCreateEditor(this, type, name, caption, value)) return nullptr;
    TCompoundEdit* editor = createCEditor(this, type, name);
    if (!editor) return nullptr;
    editor->SetBounds(labelColumn, top, clientWidth - labelColumn - 2, editor->Height());
    editor->SetParent(this);
    editor->Show();
    if (OnCreateEditor && !OnCreateEditor(this, editor, type, name, caption, value)) {
        editor->Free();
        return nullptr;
    }

    auto* label = new TLabel(this);
    label->SetParent(this);
    label->SetLeft(2);
    label->SetWordWrap(true);
    label->SetAutoSize(false);
    label->SetTop(top + 2);
    label->SetWidth(labelColumn - 2);
    label->SetCaption(caption + ":");
    label->SetFocusControl(editor);
    label->SetHint(caption);
    label->SetShowHint(true);
    // A caption wrapped to more lines keeps them all visible; the editor
    // then sits on the label's last line.
    label->SetHeight(std::max(label->Height(), MeasureWrappedText(label->Caption(), label->Font(), label->Width()).cy));
    if (label->Height() > editor->Height()) editor->SetTop(label->Top() + label->Height() - editor->Height() - 1);
    editor->SetHint(caption);
    editor->SetShowHint(true);
    FLabelWidth = std::max(FLabelWidth, label->Width());

    if (type == xvtString && !entry->getInputMask().isEmpty()) editor->SetEditMask(entry->getInputMask().str());
    editor->enable(editorEnabled(entry));
    if (FDebugMode) label->SetEnabled(entry->enabled());
    editor->SetSelLength(0);
    label->OnClick = [this, label](TObject*) { lblClick(label); };

    FRows.push_back(Row{name, editor, label, entry});

    if (type == xvtString)
        if (auto* h = dynamic_cast<TCompoundHistoryEdit*>(editor)) {
            h->SetMaxLength(entry->getMaxLength());
            h->SetTextAsHint(FTextAsHint);
            if (entry->optionFlags() & 1u) h->SetSaveHistory(false);
            if (FSaveValues) h->SetSaveValue(true);
            if (!FHistoryPrefix.empty()) h->SetNewValueName(FHistoryPrefix + "_" + h->RegInfo()->ValueName());
        }
    if (type == xvtDate || type == xvtTime)
        if (auto* p = dynamic_cast<TUXDateTimePicker*>(editor)) {
            p->SetAutoGrayed(true);
            p->setTextValue("");
            if (p->Height() < createdEditorsMaxHeight()) p->SetHeight(21);
            p->OnGrayed = [this](TObject* s, bool g) { uxdtmpckrGrayed(s, g); };
            // The picker starts grayed: its label says so at once.
            uxdtmpckrGrayed(p, p->Grayed());
        }
    setEditorsValue(editor, value);
    return editor;
}

void TCEditorsBox::realignEditors() {
    for (const Row& r : FRows) {
        if (r.editor->Left() < FLabelWidth + 4) r.editor->SetLeft(FLabelWidth + 4);
        r.editor->SetWidth(ClientWidth() - r.editor->Left() - 2);
    }
    UpdateScrollRange();
}

bool TCEditorsBox::setEditorsValue(TCompoundEdit* editor, const String& value) {
    // The handler may change the value the editor then gets.
    String v = value;
    if (OnSetEditorValue && OnSetEditorValue(this, editor, v)) return true;
    return editor->setTextValue(v);
}

bool TCEditorsBox::getEditorsValue(TCompoundEdit* editor, String& value) {
    value = trimControls(editor->getTextValue());
    if (OnGetEditorValue) return OnGetEditorValue(this, editor, value);
    return true;
}

bool TCEditorsBox::getValue(const String& name, String& value) {
    int index = -1;
    const Row* r = rowByName(name, &index);
    if (!r) return false;
    try {
        return getEditorsValue(r->editor, value);
    } catch (const std::exception&) {
        csLogFmtText(-1, "Ошибка получения значения поля '%s', listCount = %d, index = %d", name.c_str(),
                     GetEditorCount(), index);
        return false;
    }
}

bool TCEditorsBox::setValue(const String& name, const String& value) {
    const Row* r = rowByName(name);
    return r && setEditorsValue(r->editor, value);
}

bool TCEditorsBox::getValues() {
    if (!FEntry) return true;
    // Every row is read back into the entry it edits; a failing field does
    // not stop the others.
    bool ok = true;
    for (size_t i = 0; i < FRows.size(); ++i) {
        Row r = FRows[i];
        String value;
        bool got = false;
        try {
            got = getEditorsValue(r.editor, value);
        } catch (const std::exception&) {
            csLogFmtText(-1, "Ошибка получения значения поля '%s', listCount = %d, index = %d", r.name.c_str(),
                         GetEditorCount(), int(i));
        }
        if (got && zrx::x509::failed(r.entry->setValue(value.c_str()))) got = false;
        ok = ok && got;
    }
    return ok;
}

void TCEditorsBox::setValues() {
    if (!FEntry) return;
    for (const Row& r : FRows) setEditorsValue(r.editor, r.entry->getValue().str());
}

TCompoundEdit* TCEditorsBox::editorByName(const String& name) const {
    const Row* r = rowByName(name);
    return r ? r->editor : nullptr;
}

TCompoundEdit* TCEditorsBox::editorOfEntry(const TCXEditsEntry* entry) const {
    if (!entry) return nullptr;
    for (const Row& r : FRows)
        if (r.entry == entry) return r.editor;
    return nullptr;
}

TCXEditsEntry* TCEditorsBox::entryOfEditor(const TCompoundEdit* editor) const {
    const Row* r = rowOfEditor(editor);
    return r ? r->entry : nullptr;
}

TCXEditsEntry* TCEditorsBox::entryAt(int index) const {
    return index >= 0 && index < GetEditorCount() ? FRows[size_t(index)].entry : nullptr;
}

int TCEditorsBox::currentEditorIndex() const {
    for (size_t i = 0; i < FRows.size(); ++i)
        if (FRows[i].editor->editorFocused()) return int(i);
    return -1;
}

TCompoundEdit* TCEditorsBox::currentEditor() const { return GetControls(currentEditorIndex()); }

void TCEditorsBox::focusEditor(const String& name) {
    if (TCompoundEdit* e = editorByName(name))
        if (e->CanFocus()) e->SetFocus();
}

void TCEditorsBox::focusNext(TCompoundEdit* editor) {
    for (size_t i = 0; i + 1 < FRows.size(); ++i)
        if (FRows[i].editor == editor) {
            if (FRows[i + 1].editor->CanFocus()) FRows[i + 1].editor->SetFocus();
            return;
        }
}

TCompoundEdit* TCEditorsBox::haseNotFilled() const {
    for (const Row& r : FRows)
        if (!r.entry->canEmpty() && Trim(r.editor->getTextValue()).empty()) return r.editor;
    return nullptr;
}

void TCEditorsBox::updateEditor(TCXEditsEntry* entry) {
    if (!entry) return;
    for (Row& r : FRows) {
        if (r.entry != entry) continue;
        r.editor->SetEditMask(entry->valueType() == xvtString && !entry->getInputMask().isEmpty()
                                  ? entry->getInputMask().str()
                                  : String());
        r.editor->enable(editorEnabled(entry));
        if (FDebugMode) r.label->SetEnabled(entry->enabled());
        String caption =
            FMarkRequiredFields && !entry->canEmpty() ? entry->longName_nf().str() : entry->caption().str();
        r.label->SetCaption(caption + ":");
        return;
    }
}

void TCEditorsBox::hideDropped() {
    for (const Row& r : FRows) r.editor->hideDropped();
}

bool TCEditorsBox::haseDropped() const {
    return std::any_of(FRows.begin(), FRows.end(), [](const Row& r) { return r.editor->haseDropped(); });
}

void TCEditorsBox::SetReadOnly(bool v) {
    FReadOnly = v;
    for (const Row& r : FRows) r.editor->enable(editorEnabled(r.entry));
}

void TCEditorsBox::lblClick(TLabel* label) {
    for (const Row& r : FRows) {
        if (r.label != label) continue;
        if (auto* p = dynamic_cast<TUXDateTimePicker*>(r.editor)) {
            if (r.editor->Enabled()) p->SetGrayed(!p->Grayed());
        } else if (r.editor->CanFocus()) {
            r.editor->SetFocus();
        }
        return;
    }
}

void TCEditorsBox::uxdtmpckrGrayed(TObject* Sender, bool isGrayed) {
    for (const Row& r : FRows)
        if (r.editor == Sender) r.label->Font()->SetColor(isGrayed ? TColor(0x808080) : clBtnText);
}
