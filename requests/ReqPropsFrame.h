#pragma once
// Request-property pages: the frames the owner-parameter dialog shows beside
// the owner parameters, made by name from a process-wide registry (a key
// profile names its pages in its frame list), and the extended-key-usage
// boxes such pages fill from the profile.
#include <vector>

#include "components/CheckBoxes.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/TCString.h"

class TCRequestParamMaker;

class TCBaseReqPropsFrame : public TFrame {
    DECLARE_CLASS(TCBaseReqPropsFrame)
    explicit TCBaseReqPropsFrame(TComponent* AOwner);

    // The page's tab caption.
    const TCString& caption() const { return caption_; }
    bool compact() const { return compact_; }

    // "Уточненное назначение ключа": hidden here, shown by pages that fill it.
    TCheckBoxes* chckbxsEKU;

    // Called by the dialog: loadPars once the frame is on its page, then
    // setCompact; storePars when the user accepts (false keeps the dialog open).
    virtual bool loadPars(TCRequestParamMaker* maker, TCustomForm* owner);
    virtual bool storePars(TCRequestParamMaker* maker);
    virtual void setCompact(bool c);

    // The extended key usage each box of chckbxsEKU stands for, by box index.
    struct EkuItem {
        TCString name;
        bool checked = false;  // initially checked by the profile's list
    };
    const std::vector<EkuItem>& ekuItems() const { return ekuItems_; }

protected:
    TCString caption_;
    bool compact_ = false;

private:
    friend void loadEkuBoxes(TCBaseReqPropsFrame*, TCheckBoxes*, TCRequestParamMaker*, bool);
    std::vector<EkuItem> ekuItems_;
};

using TReqPropsFrameConstructor = TCBaseReqPropsFrame* (*)(TComponent* owner);

struct TFPropFrmConctructorRec {
    TCString name;  // the record's own copy
    TReqPropsFrameConstructor constructor = nullptr;
};

// Registers a page constructor under a name (letter case aside); a record of
// that name gets the new constructor. Answers true.
bool registerReqPropsFrame(const char* name, TReqPropsFrameConstructor constructor);
const TFPropFrmConctructorRec* findReqPropsFrame(const char* name);
// Makes the pages of a comma-separated page list for an owner, translated,
// and appends them to the list; unknown names are skipped. Answers the
// number of frames in the list, 0 when the page list names none.
int createReqPropsFrames(const char* pages, TComponent* owner, std::vector<TCBaseReqPropsFrame*>& list);

// Fills the boxes from the profile's extended-key-usage list ("name" or
// "name=value", a value starting with 1, y or t starts checked); an empty
// list hides them, or with allowDefault (and profile flag 0x8000 clear)
// offers "issueOrdinaryCert". Boxes of usages the maker's full extension
// list already has are checked.
void loadEkuBoxes(TCBaseReqPropsFrame* frame, TCheckBoxes* boxes, TCRequestParamMaker* maker, bool allowDefault);
// Sets or clears each box's usage in the maker's full extension list.
void storeEkuBoxes(TCBaseReqPropsFrame* frame, TCheckBoxes* boxes, TCRequestParamMaker* maker);

// Profile flag bits the pages read.
enum : uint32_t {
    kPfNonStandardExts = 0x1,    // non-standard extensions go into the request
    kPfPhraseRequired = 0x2000,  // the certificate-blocking phrase must be given
    kPfNoDefaultEku = 0x8000,    // an empty usage list offers no default
};
