#include "requests/ReqPropsFrame.h"

#include "components/FormsTranslation.h"
#include "platform/core/x509/ObjectRegistry.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/TCCollection.h"
#include "platform/runtime/Translation.h"
#include "platform/x509api/BaseRequestParamMaker.h"
#include "requests/RequestParamMaker.h"

IMPLEMENT_CLASS(TCBaseReqPropsFrame, TFrame) {}

TCBaseReqPropsFrame::TCBaseReqPropsFrame(TComponent* AOwner) : TFrame(AOwner) {
    SetWidth(438);
    SetHeight(365);
    chckbxsEKU = new TCheckBoxes(this);
    chckbxsEKU->SetName("chckbxsEKU");
    chckbxsEKU->SetParent(this);
    chckbxsEKU->SetCaption("Уточненное назначение ключа");
    chckbxsEKU->SetBounds(3, 105, 432, 112);
    chckbxsEKU->SetVisible(false);
}

bool TCBaseReqPropsFrame::loadPars(TCRequestParamMaker*, TCustomForm*) { return true; }

bool TCBaseReqPropsFrame::storePars(TCRequestParamMaker*) { return true; }

void TCBaseReqPropsFrame::setCompact(bool c) { compact_ = c; }

// ------------------------------------------------------------- the registry

namespace {

class TCFramesRegistry : public TCSortedCollection<TFPropFrmConctructorRec> {
public:
    TCFramesRegistry() : TCSortedCollection(4, 4) {}
    ~TCFramesRegistry() override { shutDown(); }

protected:
    const void* keyOf(const TFPropFrmConctructorRec* item) const override { return item->name.c_str(); }
    int compare(const void* a, const void* b) const override {
        return TCString(static_cast<const char*>(a)).compareIC(static_cast<const char*>(b));
    }
};

TCFramesRegistry& framesRegistry() {
    static TCFramesRegistry registry;
    return registry;
}

}  // namespace

bool registerReqPropsFrame(const char* name, TReqPropsFrameConstructor constructor) {
    TCFramesRegistry& registry = framesRegistry();
    const char* key = name ? name : "";
    if (TFPropFrmConctructorRec* rec = registry.find(key)) {
        rec->constructor = constructor;
        return true;
    }
    auto* rec = new TFPropFrmConctructorRec;
    rec->name = key;
    rec->constructor = constructor;
    registry.insert(rec);
    return true;
}

const TFPropFrmConctructorRec* findReqPropsFrame(const char* name) { return framesRegistry().find(name ? name : ""); }

int createReqPropsFrames(const char* pages, TComponent* owner, std::vector<TCBaseReqPropsFrame*>& list) {
    const TCString text(pages);
    bool named = false;
    size_t start = 0;
    while (start <= text.length()) {
        const int comma = text.pos(',', start);
        const size_t end = comma < 0 ? text.length() : size_t(comma);
        TCString name = text.sub(start, end - start);
        name.trim();
        if (!name.isEmpty()) {
            named = true;
            const TFPropFrmConctructorRec* rec = findReqPropsFrame(name.c_str());
            if (rec && rec->constructor)
                if (TCBaseReqPropsFrame* frame = rec->constructor(owner)) {
                    translateComponentProperties(frame);
                    list.push_back(frame);
                }
        }
        if (comma < 0) break;
        start = end + 1;
    }
    return named ? int(list.size()) : 0;
}

// ------------------------------------------------------- extended key usages

void loadEkuBoxes(TCBaseReqPropsFrame* frame, TCheckBoxes* boxes, TCRequestParamMaker* maker, bool allowDefault) {
    if (!frame || !boxes) return;
    frame->ekuItems_.clear();
    boxes->Items()->Clear();
    const TCXProfileDescriptor* profile = maker ? maker->profile() : nullptr;
    TCString text = profile ? profile->ekuList : TCString();
    text.trim();
    if (text.isEmpty()) {
        if (!allowDefault || (profile && (profile->flags & kPfNoDefaultEku))) {
            boxes->SetVisible(false);
            return;
        }
        text = zrxShortName(ZrXObject::IssueOrdinaryCert);
    }

    std::vector<TCString> entries;
    for (size_t start = 0;;) {
        const int comma = text.pos(',', start);
        entries.push_back(text.sub(start, comma < 0 ? TCString::npos : size_t(comma) - start));
        if (comma < 0) break;
        start = size_t(comma) + 1;
    }
    // Each box stands for one bit of the checked word.
    if (entries.size() > 32) {
        KV_HLogFmtText(
            0, zrnTranslateString("Список уточненных назначений ключа профиля \"%s\" длиннее %d элементов!").c_str(),
            profile ? profile->getCaption().c_str() : "", 32);
        boxes->SetVisible(false);
        return;
    }

    zrxRegisterObjects();
    uint32_t checked = 0;
    std::vector<int> nids;  // of the boxes, in order
    for (const TCString& entry : entries) {
        TCString name = entry.pos('=') >= 0 ? entry.beforeFirst('=') : entry;
        name.trim();
        TCString value = entry.pos('=') >= 0 ? entry.afterFirst('=') : TCString();
        value.trim();
        value.lower();
        const int nid = zrxNidOfShortName(name.c_str());
        const char* longName = zrxLongName(nid);
        // A name the core library does not know gets no box.
        if (!longName) continue;
        const bool on = value.startsWith("1") || value.startsWith("y") || value.startsWith("t");
        // A usage named again is the same box: two would set and clear one usage.
        size_t at = 0;
        while (at < nids.size() && nids[at] != nid) ++at;
        if (at == nids.size()) {
            nids.push_back(nid);
            frame->ekuItems_.push_back({name, false});
            boxes->Items()->Add(longName);
        }
        if (on) {
            checked |= 1u << at;
            frame->ekuItems_[at].checked = true;
        }
    }
    boxes->SetChecked(checked);
    boxes->SetAutoArrange(true);
    boxes->ArrangeButtons();
    for (size_t j = 0; j < frame->ekuItems_.size(); ++j) {
        TCheckBox* box = boxes->GetButtons(int(j));
        if (!box) continue;
        box->SetName(frame->ekuItems_[j].name.str());
        const TCString path = TCString::format("extendedKeyUsage\\%s", frame->ekuItems_[j].name.c_str());
        if (maker && maker->fullExtensions().findByPath(path.c_str())) box->SetChecked(true);
    }
    boxes->SetVisible(true);
}

void storeEkuBoxes(TCBaseReqPropsFrame* frame, TCheckBoxes* boxes, TCRequestParamMaker* maker) {
    if (!frame || !boxes || !maker) return;
    const uint32_t mask = boxes->GetChecked();
    const auto& items = frame->ekuItems();
    for (size_t i = 0; i < items.size() && i < 32 && int(i) < boxes->GetButtonCount(); ++i)
        setFlagsValue(&maker->fullExtensions(), "extendedKeyUsage", items[i].name.c_str(), mask, 1u << i, "set", false);
}
