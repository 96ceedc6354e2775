// The editors box: one labelled editor per field of an edits entry, made by
// createCEditor from the field's value type; values cross as texts in each
// editor's text-value form and are written back into the entry on request.
#pragma once

#include <vector>

#include "components/CompoundEdit.h"
#include "platform/core/x509/EditsList.h"
#include "platform/framework/ScrollBox.h"
#include "platform/framework/StdCtrls.h"

using TBeforeCreateEditorEvent =
    std::function<bool(TObject* Sender, TCEditsEntryType& type, String& name, String& caption, String& value)>;
using TCreateEditorEvent = std::function<bool(TObject* Sender, TCompoundEdit* editor, TCEditsEntryType type,
                                              String name, String& caption, String& value)>;
using TEditorsBoxValueEvent = std::function<bool(TObject* Sender, TCompoundEdit* editor, String& value)>;

// The registry key of a text field's history: "software\zoren\X509Editors\"
// and the name, whose '\' would make nested keys and is replaced.
String editorHistoryKey(const String& name);
// A new hidden editor for the value type (owned by owner, parented to it when
// it is a windowed control), or null for xvtNone.
TCompoundEdit* createCEditor(TComponent* owner, TCEditsEntryType type, const String& name);
// The greatest height of the editors made so far.
int createdEditorsMaxHeight();

class TLabel;

class TCEditorsBox : public TScrollBox {
    DECLARE_CLASS(TCEditorsBox)
    explicit TCEditorsBox(TComponent* AOwner);
    ~TCEditorsBox() override;

    // One row: the entry's name, its editor and label, and the entry edited.
    struct Row {
        String name;
        TCompoundEdit* editor = nullptr;
        TLabel* label = nullptr;
        TCXEditsEntry* entry = nullptr;
    };

    void setEntry(TCXEditsEntry* entry) { setEntryEx(entry, true); }
    // With writeBack the shown entry gets the editors' values first; false
    // when that write-back failed.
    bool setEntryEx(TCXEditsEntry* entry, bool writeBack);
    void Reset();
    void Clear();
    TCXEditsEntry* getEntry() const { return FEntry; }
    int GetEditorCount() const { return int(FRows.size()); }
    TCompoundEdit* GetControls(int index) const;
    TLabel* GetLabel(int index) const;

    bool getValues();
    void setValues();
    bool getValue(const String& name, String& value);
    bool setValue(const String& name, const String& value);
    TCompoundEdit* editorByName(const String& name) const;
    TCompoundEdit* editorOfEntry(const TCXEditsEntry* entry) const;
    TCXEditsEntry* entryOfEditor(const TCompoundEdit* editor) const;
    TCXEditsEntry* entryAt(int index) const;
    int currentEditorIndex() const;
    TCompoundEdit* currentEditor() const;
    void focusEditor(const String& name);
    void focusNext(TCompoundEdit* editor);
    TCompoundEdit* haseNotFilled() const;
    void updateEditor(TCXEditsEntry* entry);
    void hideDropped();
    bool haseDropped() const;

    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v);
    const String& HistoryPrefix() const { return FHistoryPrefix; }
    void SetHistoryPrefix(const String& v) { FHistoryPrefix = v; }
    bool SaveValues() const { return FSaveValues; }
    void SetSaveValues(bool v) { FSaveValues = v; }
    bool DebugMode() const { return FDebugMode; }
    void SetDebugMode(bool v) { FDebugMode = v; }
    bool MarkRequiredFields() const { return FMarkRequiredFields; }
    void SetMarkRequiredFields(bool v) { FMarkRequiredFields = v; }
    bool TextAsHint() const { return FTextAsHint; }
    void SetTextAsHint(bool v) { FTextAsHint = v; }

    TEditorsBoxValueEvent OnGetEditorValue;
    TEditorsBoxValueEvent OnSetEditorValue;
    TCreateEditorEvent OnCreateEditor;
    TBeforeCreateEditorEvent OnBeforeCreateEditor;

    void realignEditors();

protected:
    void createEditors();
    void createEditorsInt();
    TCompoundEdit* addEditor(TCXEditsEntry* entry, int clientWidth);
    bool getEditorsValue(TCompoundEdit* editor, String& value);
    bool setEditorsValue(TCompoundEdit* editor, const String& value);
    void lblClick(TLabel* label);
    void uxdtmpckrGrayed(TObject* Sender, bool isGrayed);

private:
    const Row* rowByName(const String& name, int* index = nullptr) const;
    const Row* rowOfEditor(const TCompoundEdit* editor) const;
    bool editorEnabled(const TCXEditsEntry* entry) const;
    String captionOf(const TCXEditsEntry* entry) const;
    std::vector<Row> FRows;
    TCXEditsEntry* FEntry = nullptr;
    int FLabelWidth = 0;
    bool FReadOnly = false;
    bool FSaveValues = false;
    bool FDebugMode = false;
    bool FMarkRequiredFields = true;
    bool FTextAsHint = false;
    String FHistoryPrefix;
};
