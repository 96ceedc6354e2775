#include "views/RegCertFormEx.h"

#include <algorithm>

#include "platform/framework/Dialogs.h"
#include "platform/runtime/TimeUtils.h"
#include "platform/runtime/Translation.h"

// The pickers give the local day, so the bounds start from the local today.
TCValidityRange::TCValidityRange()
    : earliestStart(today(true)), earliestEnd(today(true)), latestStart(0), latestEnd(0) {}

bool TCValidityRange::isStartAllowed(int64_t t) const {
    return !(t < earliestStart || (latestStart != 0 && t > latestStart));
}

bool TCValidityRange::isEndAllowed(int64_t t) const { return !(t < earliestEnd || (latestEnd != 0 && t > latestEnd)); }

namespace {
constexpr int kGroupTop = 4, kGroupHeight = 67;

TLabel* makeLabel(TComponent* owner, TWinControl* parent, const char* name, const char* caption, int left, int top) {
    auto* l = new TLabel(owner);
    l->SetName(name);
    l->SetParent(parent);
    l->SetCaption(caption);
    l->SetLeft(left);
    l->SetTop(top);
    return l;
}

TUXDateTimePicker* makePicker(TComponent* owner, TWinControl* parent, const char* name, int left, int top) {
    auto* p = new TUXDateTimePicker(owner);
    p->SetName(name);
    p->SetParent(parent);
    p->SetBounds(left, top, 110, 21);
    p->SetReadOnly(true);
    return p;
}
}  // namespace

IMPLEMENT_CLASS(TKeyRegFormEx, TCViewZrX509BaseForm) {}

TKeyRegFormEx::TKeyRegFormEx(TComponent* AOwner) : TCViewZrX509BaseForm(AOwner) {
    SetName("KeyRegFormEx");
    SetCaption("Регистрация сертификата");
    Constraints_MinWidth = 716;
    Constraints_MinHeight = 518;
    SetClientWidth(716);
    SetClientHeight(518);

    Panel2 = new TPanel(this);
    Panel2->SetName("Panel2");
    Panel2->SetParent(this);
    Panel2->SetAlign(alTop);
    Panel2->SetHeight(75);
    Panel2->SetBevelOuter(bvNone);
    Panel2->SetCaption("");

    grpBx2 = new TGroupBox(this);
    grpBx2->SetName("grpBx2");
    grpBx2->SetParent(Panel2);
    grpBx2->SetCaption("Срок действия");
    grpBx2->SetBounds(8, kGroupTop, 300, kGroupHeight);
    lbl3 = makeLabel(this, grpBx2, "lbl3", "Начнет действовать", 10, 18);
    uxdtmpckr1 = makePicker(this, grpBx2, "uxdtmpckr1", 170, 15);
    lbl4 = makeLabel(this, grpBx2, "lbl4", "Окончит действовать", 10, 42);
    uxdtmpckr2 = makePicker(this, grpBx2, "uxdtmpckr2", 170, 39);

    grpBx1 = new TGroupBox(this);
    grpBx1->SetName("grpBx1");
    grpBx1->SetParent(Panel2);
    grpBx1->SetCaption("Дополнительно");
    grpBx1->SetBounds(316, kGroupTop, 392, kGroupHeight);
    lbl2 = makeLabel(this, grpBx1, "lbl2", "Фраза для блокирования сертификата", 10, 18);
    edit2 = new TEdit(this);
    edit2->SetName("edit2");
    edit2->SetParent(grpBx1);
    edit2->SetBounds(230, 15, 150, 21);
    lbl5 = makeLabel(this, grpBx1, "lbl5", "Уточняющий вопрос", 10, 42);
    chedt1 = new TCompoundHistoryEdit(this);
    chedt1->SetName("chedt1");
    chedt1->SetParent(grpBx1);
    chedt1->SetBounds(230, 39, 150, 21);
    chedt1->SetMaxHistCount(20);
    chedt1->SetRowsVisible(8);
    chedt1->setRegParams("Software\\Zoren\\ZI509\\WinControlForm_1", "chedt1", true);

    for (TButton* b : {Button2, Button3, Button4}) b->OnClick = [this](TObject* s) { Button2Click(s); };
}

void TKeyRegFormEx::arrangeGroups() {
    constexpr int kLeft = 8, kGap = 8, kInner = 10, kLabelGap = 6, kMinEdit = 150;
    auto fieldsLeft = [](TLabel* a, TLabel* b) { return kInner + std::max(a->Width(), b->Width()) + kLabelGap; };
    int left = kLeft;
    if (grpBx2->Visible()) {
        const int x = fieldsLeft(lbl3, lbl4);
        for (TUXDateTimePicker* p : {uxdtmpckr1, uxdtmpckr2}) p->SetLeft(x);
        grpBx2->SetBounds(left, grpBx2->Top(), x + uxdtmpckr1->Width() + kInner, grpBx2->Height());
        left = grpBx2->Left() + grpBx2->Width() + kGap;
    }
    const int x = fieldsLeft(lbl2, lbl5);
    const int width = std::max(Panel2->Width() - left - kLeft, x + kMinEdit + kInner);
    grpBx1->SetBounds(left, grpBx1->Top(), width, grpBx1->Height());
    grpBx1->SetAnchors(akSet(akLeft) | akSet(akTop) | akSet(akRight));
    for (TWinControl* e : std::initializer_list<TWinControl*>{edit2, chedt1}) {
        e->SetBounds(x, e->Top(), width - x - kInner, e->Height());
        e->SetAnchors(akSet(akLeft) | akSet(akTop) | akSet(akRight));
    }
    // A window too narrow for the row grows to hold it.
    if (grpBx1->Visible() && left + width + kLeft > ClientWidth()) SetClientWidth(left + width + kLeft);
}

void TKeyRegFormEx::Button2Click(TObject* Sender) {
    auto* button = dynamic_cast<TButton*>(Sender);
    if (!button || button->ModalResult() != mrOk || !grpBx2->Visible()) return;
    auto refuse = [this](const char* field, TUXDateTimePicker* picker) {
        SetModalResult(mrNone);
        MessageDlg(TCFString(zrnTranslateString("Значение даты \"%s\" заполнено некорректно!").c_str(),
                             zrnTranslateString(field).c_str())
                       .c_str(),
                   mtError, mbSet(mbOK));
        if (picker->CanFocus()) picker->SetFocus();
        else SetActiveControl(picker);
    };
    const int64_t start = uxdtmpckr1->GetUXDateTime();
    if (!range.isStartAllowed(start)) {
        refuse("Начнет действовать", uxdtmpckr1);
        return;
    }
    const int64_t end = uxdtmpckr2->GetUXDateTime();
    if (!range.isEndAllowed(end) || end < start) refuse("Окончит действовать", uxdtmpckr2);
}

void TKeyRegFormEx::PrintActionExecute(TObject* Sender) {
    if (currentObject()) TCViewZrX509BaseForm::PrintActionExecute(Sender);
    else Button4Click(Sender);
}

void TKeyRegFormEx::SaveHTMLActionExecute(TObject* Sender) {
    if (currentObject()) TCViewZrX509BaseForm::SaveHTMLActionExecute(Sender);
    else Button5Click(Sender);
}

int execKeyRegForm(const char* html, const char* ownerName, TCRegFormParams& params, TCFlags<unsigned int>& flags,
                   const char* printHtml) {
    auto* form = CreateComponent<TKeyRegFormEx>(Application);
    return ShowModalAndFree(
        form,
        [&] {
            if (flags.isSet(krfRangeFromParams)) form->range = params.range;
            // A phrase given already is not asked again.
            if (!params.text.isEmpty()) flags.clear(krfPhraseGroup);
            const bool dates = flags.isSet(krfDatesGroup);
            form->grpBx2->SetVisible(dates);
            form->grpBx1->SetVisible(flags.isSet(krfPhraseGroup));
            form->arrangeGroups();
            form->setMode(flags.isSet(krfSeriesButtons) ? 5 : 0);
            if (flags.isSet(krfRejectButton)) {
                form->Button3->SetCaption(zrnTranslateString("Отклонить").c_str());
                form->Button3->SetModalResult(mrAbort);
                form->Button3->SetVisible(true);
                if (!flags.isSet(krfSeriesButtons))
                    form->Button3->SetLeft(form->Button2->Left() - form->Button3->Width() - 8);
            }
            form->edit2->SetText(params.text.c_str());
            form->SetCaption(TCFString(zrnTranslateString("Выработка сертификата ключей владельца \"%s\"").c_str(),
                                       ownerName ? ownerName : "")
                                 .c_str());
            form->setHtml(html, printHtml);
            form->uxdtmpckr1->SetUXDateTime(params.startDate);
            form->uxdtmpckr2->SetUXDateTime(params.endDate);
        },
        [&](int result) {
            if (result != mrOk) return;
            params.startDate = form->uxdtmpckr1->GetUXDateTime();
            params.endDate = form->uxdtmpckr2->GetUXDateTime();
            // The question goes with the phrase, as the request pages give it.
            TCString phrase = TCString(form->edit2->GetText()).trim();
            const TCString question = TCString(form->chedt1->getUCTextValue()).trim();
            if (!question.isEmpty()) {
                phrase += "|";
                phrase += question;
                form->chedt1->AddHistory();
            }
            params.text = phrase;
        });
}
