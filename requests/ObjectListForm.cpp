#include "requests/ObjectListForm.h"

#include "components/ResImageStrips.h"

#include <utility>

#include "platform/core/config/XmlNode.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/Translation.h"
#include "requests/ObjectEditDialogs.h"
#include "requests/ObjectIdList.h"

namespace {
// The mark of a critical object in the tool bar's strip.
constexpr int kCriticalImage = kObjCriticalImage;

void reportNotSaved() {
    MessageDlg(tr("Изменения списка описателей объектов не сохранены!").str(), mtError, mbSet(mbOK));
}

// The attributes of a node, to put back when a change could not be saved.
struct NodeSnapshot {
    explicit NodeSnapshot(const TZrXOIDNode& node) : attrs(node.attrs()) {}
    void restore(TZrXOIDNode& node) const {
        while (node.attrCount() > 0) node.removeAttr(node.attrAt(0)->name.c_str());
        for (const TCXMLAttr& a : attrs) node.setAttr(a.name.c_str(), a.value.c_str());
        node.cacheFromAttributes();
    }
    TCXMLAttrs attrs;
};
}  // namespace

IMPLEMENT_CLASS(TEditObjListForm, TForm) {}

TAction* TEditObjListForm::addAction(const char* name, const char* category, const char* caption, const char* hint,
                                     void (TEditObjListForm::*execute)(TObject*),
                                     void (TEditObjListForm::*update)(TObject*)) {
    auto bind = [this](void (TEditObjListForm::*m)(TObject*)) -> TNotifyEvent {
        if (!m) return nullptr;
        return [this, m](TObject* s) { (this->*m)(s); };
    };
    TAction* a = makeAction(actlst1, name, caption, hint, bind(execute), bind(update));
    a->SetCategory(category);
    return a;
}

TToolButton* TEditObjListForm::addToolButton(const char* name, TAction* action) {
    auto* b = new TToolButton(this);
    b->SetName(name);
    b->SetParent(tlb1);
    if (action) b->SetAction(action);
    else b->SetStyle(tbsSeparator);
    return b;
}

TEditObjListForm::TEditObjListForm(TComponent* AOwner) : TForm(AOwner), list_(&userOIDsList()) {
    SetName("EditObjListForm");
    SetCaption("Список нестандартных расширений");
    SetPosition(poMainFormCenter);
    SetClientWidth(760);
    SetClientHeight(400);

    actlst1 = new TActionList(this);
    actlst1->SetName("actlst1");
    using F = TEditObjListForm;
    actOK =
        addAction("actOK", "Выбор", "Выбрать", "Выбрать|Выбрать отмеченный объект", &F::actOKExecute, &F::actOKUpdate);
    actCancel = addAction("actCancel", "Выбор", "Отменить", "Отменить", &F::actCancelExecute, nullptr);
    actCreate = addAction("actCreate", "Редактирование", "Создать", "Создать|Создать новый объект",
                          &F::actCreateExecute, nullptr);
    actEdit = addAction("actEdit", "Редактирование", "Изменить", "Изменить|Изменить параметры существующего объекта",
                        &F::actEditExecute, nullptr);
    actDelete = addAction("actDelete", "Редактирование", "Удалить", "Удалить| Удалить объект", &F::actDeleteExecute,
                          &F::actDeleteUpdate);
    actFind = addAction("actFind", "Поиск", "Найти...", "Найти...|Найти объект по имени", &F::actFindExecute,
                        &F::actFindUpdate);
    actFindNext = addAction("actFindNext", "Поиск", "Следующий", "Найти следующий", &F::actFindNextExecute, nullptr);
    actFindPrev = addAction("actFindPrev", "Поиск", "Предыдущий", "Найти предыдущий", &F::actFindPrevExecute, nullptr);
    actSetPfx = addAction("actSetPfx", "Редактирование", "Объектный префикс",
                          "Задать/изменить префикс объектных идентификаторов", &F::actSetPfxExecute, nullptr);

    mm1 = new TMainMenu(this);
    mm1->SetName("mm1");
    auto submenu = [this](const char* name, const char* caption) {
        auto* mi = new TMenuItem(this);
        mi->SetName(name);
        mi->SetCaption(caption);
        mm1->Items()->Add(mi);
        return mi;
    };
    N3 = submenu("N3", "Выбор");
    addActionItems(this, N3, {actOK, actCancel});
    addActionItems(this, submenu("N4", "Объекты"), {actCreate, actEdit, nullptr, actDelete, nullptr, actSetPfx});
    addActionItems(this, submenu("N5", "Поиск"), {actFind, nullptr, actFindNext, actFindPrev});
    SetMenu(mm1);

    pm1 = new TPopupMenu(this);
    pm1->SetName("pm1");
    addActionItems(
        this, pm1->Items(),
        {actOK, nullptr, actCreate, actEdit, nullptr, actDelete, nullptr, actFind, actFindNext, actFindPrev});

    rsmglst1 = new TResImageList(this);
    rsmglst1->SetName("rsmglst1");
    rsmglst1->SetPixelFormat(pf8bit);
    rsmglst1->LoadFromResource("BMP_ObjListEditorToolBar");
    rsmglst2 = new TResImageList(this);
    rsmglst2->SetName("rsmglst2");
    rsmglst2->SetPixelFormat(pf8bit);
    rsmglst2->LoadFromResource("BMP_ObjListEditorToolBar_bl");

    tlb1 = new TToolBar(this);
    tlb1->SetName("tlb1");
    tlb1->SetParent(this);
    tlb1->SetAlign(alTop);
    tlb1->SetShowCaptions(true);
    tlb1->SetButtonWidth(80);
    // The colour strip on the buttons, its grey twin on disabled ones (the
    // framework's bar has no hot pictures to show the colour only under the mouse).
    tlb1->SetImages(rsmglst1);
    tlb1->SetDisabledImages(rsmglst2);
    actCreate->SetImageIndex(kObjCreateImage);
    actEdit->SetImageIndex(kObjEditImage);
    actDelete->SetImageIndex(kObjDeleteImage);
    actOK->SetImageIndex(kObjChooseImage);
    actFind->SetImageIndex(kObjFindImage);
    actSetPfx->SetImageIndex(kObjPrefixImage);
    actCancel->SetImageIndex(kObjCancelImage);
    actFindPrev->SetImageIndex(kObjFindPrevImage);
    actFindNext->SetImageIndex(kObjFindNextImage);
    btnOK = addToolButton("btnOK", actOK);
    btnCancel = addToolButton("btnCancel", actCancel);
    btn6 = addToolButton("btn6", nullptr);
    btnCreate = addToolButton("btnCreate", actCreate);
    btnEdit = addToolButton("btnEdit", actEdit);
    btn1 = addToolButton("btn1", nullptr);
    btnDelete = addToolButton("btnDelete", actDelete);
    btn2 = addToolButton("btn2", nullptr);
    btnFind = addToolButton("btnFind", actFind);
    btn4 = addToolButton("btn4", nullptr);
    btnFindPrev = addToolButton("btnFindPrev", actFindPrev);
    btnFindNext = addToolButton("btnFindNext", actFindNext);

    stat1 = new TStatusBar(this);
    stat1->SetName("stat1");
    stat1->SetParent(this);
    stat1->SetAlign(alBottom);
    stat1->SetAutoHint(true);

    CAlv1 = new TCAdvancedListView(this);
    CAlv1->SetName("CAlv1");
    CAlv1->SetParent(this);
    CAlv1->SetAlign(alClient);
    CAlv1->SetViewStyle(vsReport);
    CAlv1->SetReadOnly(true);
    CAlv1->SetRowSelect(true);
    CAlv1->SetGridLines(true);
    CAlv1->SetHideSelection(false);
    CAlv1->SetPopupMenu(pm1);
    CAlv1->SetSmallImages(rsmglst1);
    CAlv1->SetSearchInColumn(-1);
    CAlv1->SetFindIgnoreCase(false);
    const std::pair<const char*, int> columns[] = {{"OID", 200}, {"SN", 140}, {"LN", 240}, {"Тип", 80}};
    for (const auto& [caption, width] : columns) {
        TListColumn* c = CAlv1->Columns()->Add();
        c->SetCaption(caption);
        c->SetWidth(width);
    }
    CAlv1->OnDblClick = [this](TObject* s) { CAlv1DblClick(s); };

    dlgOpen1 = new TOpenDialog(this);
    dlgOpen1->SetName("dlgOpen1");
    dlgOpen1->SetDefaultExt("oids");
    dlgOpen1->SetFileName("ZrX509_objects");
    dlgOpen1->SetFilter("Файлы объектов|*.oids|Все файлы|*.*");
    dlgOpen1->SetTitle("Укажите расположение списка описателей");
    dlgOpen1->SetOptions(ofSet(ofHideReadOnly) | ofSet(ofNoChangeDir) | ofSet(ofPathMustExist) | ofSet(ofCreatePrompt) |
                         ofSet(ofEnableSizing));
}

bool TEditObjListForm::setup(bool selectMode, bool editMode) {
    for (TAction* a : {actOK, actCancel}) a->SetVisible(selectMode);
    btn6->SetVisible(selectMode);
    N3->SetVisible(selectMode);
    for (TAction* a : {actCreate, actEdit, actDelete, actSetPfx}) a->SetVisible(editMode);
    btn1->SetVisible(editMode);
    btn2->SetVisible(editMode);
    tlb1->LayoutButtons();

    if (list_->count() == 0 && !loadList()) return false;
    const TCString* base = list_->baseOID();
    if (!base || base->isEmpty()) {
        TCString oid;
        if (!editBaseOID(oid)) return false;
        if (!list_->setBaseOID(oid.c_str())) {
            list_->getRoot()->removeAttr("oid");
            reportNotSaved();
            return false;
        }
    }
    fillRows();
    return true;
}

bool TEditObjListForm::loadList() {
    if (list_->fileName().isEmpty()) {
        dlgOpen1->SetFilter(tr("Файлы объектов|*.oids|Все файлы|*.*").str());
        dlgOpen1->SetTitle(tr("Укажите расположение списка описателей").str());
        if (!dlgOpen1->Execute()) return false;
        list_->setFileName(dlgOpen1->FileName().c_str());
    }
    // The list's own file: the one just chosen, or the one named before.
    const TCString file = list_->fileName();
    if (!fileExists(file.c_str())) return true;
    if (list_->load(file.c_str(), true) == 0) {
        // Said now, so that nothing is changed or left unconfirmable unseen.
        const std::vector<TCString> problems = list_->problems();
        if (!problems.empty()) {
            std::string text =
                tr("Значения списка описателей объектов, которые не могут быть показаны как есть:").str();
            for (const TCString& p : problems) text += "\n" + p.str();
            MessageDlg(text, mtWarning, mbSet(mbOK));
        }
        return true;
    }
    MessageDlg(TCFString(tr("Загрузка списка описателей объектов. %s!").c_str(), KRTL_lastMesage().c_str()).str(),
               mtError, mbSet(mbOK));
    return false;
}

void TEditObjListForm::fillRows() {
    TListItems* items = CAlv1->Items();
    items->BeginUpdate();
    items->Clear();
    for (int i = 0; i < list_->count(); ++i)
        if (TZrXOIDNode* node = list_->at(i)) fillRow(items->Add(), node);
    items->EndUpdate();
}

void TEditObjListForm::fillRow(TListItem* item, TZrXOIDNode* node) {
    item->SetCaption(node->oid().c_str());
    item->SubItems()->SetText(TCString::format("%s\n%s\n%s\n", node->shortName().c_str(), node->longName().c_str(),
                                               node->valueTypeText().c_str())
                                  .c_str());
    item->SetImageIndex(node->critical() ? kCriticalImage : -1);
    item->SetData(node);
}

TZrXOIDNode* TEditObjListForm::selectedNode() const {
    if (CAlv1->SelCount() != 1) return nullptr;
    TListItem* item = CAlv1->Selected();
    return item ? static_cast<TZrXOIDNode*>(item->Data()) : nullptr;
}

void TEditObjListForm::actOKExecute(TObject*) { SetModalResult(mrOk); }

void TEditObjListForm::actOKUpdate(TObject*) { actOK->SetEnabled(CAlv1->SelCount() == 1); }

void TEditObjListForm::actCancelExecute(TObject*) { SetModalResult(mrCancel); }

void TEditObjListForm::actFindExecute(TObject*) { CAlv1->SearchItemDialog(true, "OIDListSearchHistory"); }

void TEditObjListForm::actFindUpdate(TObject*) {
    actFind->SetEnabled(CAlv1->Items()->Count() > 1);
    actFindNext->SetEnabled(CAlv1->GetSeachNextEnabled());
    actFindPrev->SetEnabled(CAlv1->GetSeachPrevEnabled());
}

void TEditObjListForm::actFindNextExecute(TObject*) {
    CAlv1->SearchTextEx(CAlv1->GetFindString(), false, true, true, CAlv1->SearchInColumn());
}

void TEditObjListForm::actFindPrevExecute(TObject*) {
    CAlv1->SearchTextEx(CAlv1->GetFindString(), false, false, true, CAlv1->SearchInColumn());
}

void TEditObjListForm::actSetPfxExecute(TObject*) {
    const TCString* current = list_->baseOID();
    const bool had = current != nullptr;
    const TCString before = had ? *current : TCString();
    TCString oid = before;
    if (!editBaseOID(oid)) return;
    if (list_->setBaseOID(oid.c_str())) return;
    // The file keeps the old identifier: so does the list.
    if (had) list_->getRoot()->setAttr("oid", before.c_str());
    else list_->getRoot()->removeAttr("oid");
    reportNotSaved();
}

void TEditObjListForm::actCreateExecute(TObject*) {
    auto* node = new TZrXOIDNode();
    node->setOID(list_->nextFreeOID().c_str());
    if (!editObject(list_, node, true)) {
        delete node;
        return;
    }
    if (!list_->addObject(node, Application->MainForm() != this)) {
        delete node;
        reportNotSaved();
        return;
    }
    TListItem* item = CAlv1->Items()->Add();
    fillRow(item, node);
    CAlv1->SetSelected(item);
}

void TEditObjListForm::actEditExecute(TObject*) {
    TListItem* item = CAlv1->SelCount() == 1 ? CAlv1->Selected() : nullptr;
    auto* node = item ? static_cast<TZrXOIDNode*>(item->Data()) : nullptr;
    if (!node) return;
    const NodeSnapshot before(*node);
    if (!editObject(list_, node, false)) return;
    if (list_->saveList()) {
        fillRow(item, node);
        return;
    }
    // Not in the file: the list and the row keep what the file holds.
    before.restore(*node);
    reportNotSaved();
}

void TEditObjListForm::actDeleteUpdate(TObject*) { actDelete->SetEnabled(CAlv1->SelCount() == 1); }

void TEditObjListForm::actDeleteExecute(TObject*) {
    TListItem* item = CAlv1->SelCount() == 1 ? CAlv1->Selected() : nullptr;
    auto* node = item ? static_cast<TZrXOIDNode*>(item->Data()) : nullptr;
    if (!node) return;
    const TCFString question(tr("Удалить объект %s (%s), oid: %s?").c_str(), node->shortName().c_str(),
                             node->longName().c_str(), node->oid().c_str());
    if (MessageDlg(question.str(), mtConfirmation, mbSet(mbYes, mbNo)) != mrYes) return;
    TCXMLNode* root = list_->getRoot();
    const int at = root->indexOf(node);
    root->detachNode(node);
    if (!list_->saveList()) {
        // The file still holds the object: so does the list.
        root->insertNode(at, node);
        reportNotSaved();
        return;
    }
    delete node;
    CAlv1->Items()->Delete(item->Index());
}

void TEditObjListForm::CAlv1DblClick(TObject*) {
    actOKUpdate(actOK);
    if (actOK->Visible() && actOK->Enabled()) actOKExecute(actOK);
    // Editing only where the window offers it.
    else if (actEdit->Visible() && actEdit->Enabled()) actEditExecute(actEdit);
}
