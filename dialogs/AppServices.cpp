#include "dialogs/AppServices.h"

#include <algorithm>
#include <iterator>

#include "components/CompoundEdit.h"
#include "platform/runtime/Passwords.h"
#include "platform/x509api/ZrX509Api.h"

namespace {
constexpr int kPassMin = 8, kPassMax = 32;

const char* const kRegions[] = {
    "Чернігівська", "Чернівецька",       "Черкаська",  "Хмельницька",  "Херсонська",
    "Харківська",   "Тернопільська",     "Сумська",    "Рівненська",   "Полтавська",
    "Одеська",      "Миколаївська",      "Львівська",  "Луганська",    "Кіровоградська",
    "Київська",     "Івано-Франківська", "Запорізька", "Закарпатська", "Житомирська",
    "Донецька",     "Дніпропетровська",  "Волинська",  "Вінницька",    "Автономна Республіка Крим",
};

bool gPolicyRegistered = false;

// The policy with its test password among the first initialisers; the test
// password is cleared again by a later one.
__attribute__((constructor(132))) void registerPolicyAtStart() { registerPasswordPolicy(); }
__attribute__((constructor(164))) void clearTestPasswordAtStart() { setTestPassword(nullptr); }
}  // namespace

void registerPasswordPolicy() {
    setPassMinMax(kPassMin, kPassMax, kStartupPassword);
    gPolicyRegistered = true;
}

bool passwordPolicyRegistered() { return gPolicyRegistered; }

TCustomForm* activeOrMainForm() {
    if (Screen && Screen->ActiveForm()) return Screen->ActiveForm();
    return Application ? Application->MainForm() : nullptr;
}

TToolButton* nextVisibleButton(TToolBar* bar, int index) {
    for (int i = std::max(0, index); i < bar->ButtonCount(); ++i)
        if (TToolButton* b = bar->Buttons(i); b && b->Visible()) return b;
    return nullptr;
}

int removeDoubleSeparators(TToolBar* bar) {
    for (int i = 0; i < bar->ButtonCount(); ++i) {
        TToolButton* b = bar->Buttons(i);
        if (!b || b->Style() != tbsSeparator) continue;
        TToolButton* next = nextVisibleButton(bar, i + 1);
        if (!next) return 0;
        if (next->Style() == tbsSeparator) {
            b->Free();
            --i;
        }
    }
    bar->LayoutButtons();
    return bar->ButtonCount();
}

int regionNameCount() { return int(std::size(kRegions)); }

const char* regionName(int index) { return index >= 0 && index < regionNameCount() ? kRegions[index] : nullptr; }

void presetRegionHistory(TControl* control) {
    auto* edit = dynamic_cast<TCompoundHistoryEdit*>(control);
    if (!edit) return;
    edit->SetReadOnly(true);
    edit->SetRowsVisible(10);
    edit->ClearHistory();
    edit->SetSaveHistory(false);
    edit->SetButtonVisible(true);
    // Every region stays in the list (the history keeps the newest at the top).
    edit->SetMaxHistCount(std::max(edit->MaxHistCount(), regionNameCount()));
    for (const char* region : kRegions) edit->AddHistoryStr(region);
}

bool hideRevocationPhrase() { return false; }

bool useAltToolbarImages() { return true; }

int findTokenCertificate(const char*, TCString& kind, TCString& profileName) {
    kind.clear();
    profileName.clear();
    return 0;
}
