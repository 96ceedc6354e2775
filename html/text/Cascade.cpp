// The cascade: the style-list keys that can match an element are looked up in
// a fixed order and merged; later merges win, so the order is the precedence.
#include <array>
#include <string>
#include <vector>

#include "html/text/Fonts.h"
#include "html/text/HtmlText.h"
#include "html/text/Lengths.h"
#include "html/text/Properties.h"
#include "html/text/StyleList.h"

using namespace htmltext;

namespace {

// Every class of Classes ("a.b") is among the element's classes.
bool ClassListContains(std::u16string_view ElementClasses, std::u16string_view Classes) {
    const std::u16string list = u"." + std::u16string(ElementClasses) + u".";
    size_t i = 0;
    while (i <= Classes.size()) {
        const size_t dot = Classes.find(u'.', i);
        const std::u16string_view one = Classes.substr(i, dot == std::u16string_view::npos ? Classes.npos : dot - i);
        if (!one.empty() && list.find(u"." + std::u16string(one) + u".") == std::u16string::npos) return false;
        if (dot == std::u16string_view::npos) break;
        i = dot + 1;
    }
    return true;
}

bool isBoxIndex(int i) { return i >= MarginTop && i <= BorderSpacingVert; }

}  // namespace

void TProperties::MergeStyleEntry(const TProperties& S, bool FillOnly) {
    for (int i = 0; i < StoredPropCount; ++i) {
        ThtVariant& mine = Props[size_t(i)];
        const ThtVariant& v = S.Props[size_t(i)];
        if (FillOnly && !VarIsEmpty(mine) && !VarIsAuto(mine)) continue;
        if (VarIsEmpty(v) || VarIsNull(v)) continue;
        // An AutoSentinel of a rule is "not given": it never resets a box value.
        if (isBoxIndex(i) && VarIsAuto(v)) continue;
        mine = v;
        Originals[size_t(i)] = true;
        if (!InLink || !FIArray || i > BackgroundColor || i == TextAlign) continue;
        for (ThtFontInfo& fi : FIArray->Ar) {
            switch (i) {
            case FontFamily: {
                const std::u16string face = FindInstalledFont(VarToText(v));
                if (!face.empty()) fi.iName = face;
                break;
            }
            case FontSize:
                fi.iSize = VarIsNumeric(v) ? VarToDouble(v)
                                           : FontSizeToPoints(VarToText(v), UseQuirksMode(), fi.iSize, DefPointSize());
                break;
            case FontStyle:
                if (VarIsText(v, u"italic") || VarIsText(v, u"oblique")) fi.iStyle |= fsSet(fsItalic);
                else if (VarIsText(v, u"normal")) fi.iStyle &= ~fsSet(fsItalic);
                break;
            case FontWeight: {
                const std::u16string w = VarToText(v);
                if (w.find(u"bold") != std::u16string::npos) fi.iStyle |= fsSet(fsBold);
                else if (w.find(u"normal") != std::u16string::npos) fi.iStyle &= ~fsSet(fsBold);
                else if (VarToInt(v, 0) >= 600) fi.iStyle |= fsSet(fsBold);
                break;
            }
            case TextDecoration:
                if (VarIsText(v, u"underline")) fi.iStyle |= fsSet(fsUnderline);
                else if (VarIsText(v, u"line-through")) fi.iStyle |= fsSet(fsStrikeOut);
                else if (VarIsText(v, u"none")) fi.iStyle &= ~(fsSet(fsUnderline) | fsSet(fsStrikeOut));
                break;
            case LetterSpacing: fi.iCharExtra = v; break;
            case Color: fi.iColor = TColor(VarToInt(v, 0)); break;
            case BackgroundColor: fi.ibgColor = TColor(VarToInt(v, clNone)); break;
            default: break;
            }
        }
    }
}

namespace {

// One element's view of the cascade: its values, the keys it tries, and the
// walk over its ancestors.
class TCascade {
public:
    TCascade(TProperties& E, TStyleList& Styles, std::u16string_view Tag, std::u16string_view ID,
             std::u16string_view Pseudo, int ParentIndex)
        : E(E), Styles(Styles), T(Tag), I(ID), P(Pseudo), J(ParentIndex) {}

    // Every key of the element, in precedence order, each applicable rule
    // once; Classes holds each class and, with several, the whole list.
    void Run(const std::vector<std::u16string>& Classes, TProperties* AProp) {
        const bool plain = P.empty() || (P != u"hover" && P != u"visited");
        if (T == u"a" && (P == u"link" || P == u"visited")) ApplyRulesForKey(u"::" + P, false);
        std::vector<std::pair<std::u16string, std::u16string>> keys;  // key, the class it was made for
        auto add = [&](std::u16string k, const std::u16string& c) { keys.emplace_back(std::move(k), c); };
        const std::u16string none;
        if (plain) add(T, none);
        if (!P.empty()) add(u":" + P, none);
        if (plain)
            for (const auto& c : Classes) {
                add(u"." + c, c);
                add(T + u"." + c, c);
            }
        if (!P.empty()) {
            add(T + u":" + P, none);
            for (const auto& c : Classes) {
                add(u"." + c + u":" + P, c);
                add(T + u"." + c + u":" + P, c);
            }
        }
        if (!I.empty()) {
            add(u"#" + I, none);
            add(T + u"#" + I, none);
            for (const auto& c : Classes) add(u"." + c + u"#" + I, c);
            if (!P.empty()) {
                add(u"#" + I + u":" + P, none);
                add(T + u"#" + I + u":" + P, none);
            }
            for (const auto& c : Classes) {
                add(T + u"." + c + u"#" + I, c);
                if (!P.empty()) {
                    add(u"." + c + u"#" + I + u":" + P, c);
                    add(T + u"." + c + u"#" + I + u":" + P, c);
                }
            }
        }
        for (const auto& k : keys) ApplyRulesForKey(k.first, false);
        for (const auto& k : keys) ApplyDescendantRules(k.first + u" ", k.second);
        if (AProp) E.MergeStyleEntry(*AProp, false);
        if (T == u"a" && P != u"hover" && P != u"active") ApplyRulesForKey(u"::" + P, true);
    }

private:
    void ApplyRulesForKey(const std::u16string& Key, bool FillOnly) {
        int first;
        if (!Styles.Find(Key, first)) return;
        int last = first;
        while (last + 1 < Styles.Count() && CompareStyleKeys(Styles.Strings(last + 1), Key) == 0) ++last;
        if (FillOnly)
            for (int i = last; i >= first; --i) E.MergeStyleEntry(*Styles.Objects(i), true);
        else
            for (int i = first; i <= last; ++i) E.MergeStyleEntry(*Styles.Objects(i), false);
    }

    void ApplyDescendantRules(const std::u16string& Prefix, const std::u16string& C) {
        int i;
        Styles.Find(Prefix, i);
        for (; i < Styles.Count(); ++i) {
            const std::u16string& key = Styles.Strings(i);
            if (key.size() < Prefix.size() || !equalsNoCase(std::u16string_view(key).substr(0, Prefix.size()), Prefix))
                break;
            if (!MatchDescendantRule(i, C)) break;
        }
    }

    bool MatchDescendantRule(int Index, const std::u16string& C) {
        const std::vector<ThtSelectorPart>& parts = Styles.SelectorParts(Index);
        if (parts.empty()) return false;
        const ThtSelectorPart& s = parts[0];
        if (s.Element != T && s.Class != C && s.Pseudo != P) return false;
        if (parts.size() == 1) return true;
        if (!(s.Element.empty() || s.Element == T) || !(s.Class.empty() || s.Class == C) ||
            !(s.ID.empty() || s.ID == I) || !(s.Pseudo == P || (s.Pseudo.empty() && P == u"link")))
            return true;
        TPropStack* stack = E.PropStack;
        if (!stack) return true;
        size_t k = 1;
        bool direct = s.Child;
        for (int j = std::min(J, stack->Count() - 1); j >= 1 && k < parts.size(); --j) {
            const TProperties& A = *stack->GetProp(j);
            const ThtSelectorPart& part = parts[k];
            const bool match =
                (part.Element.empty() || part.Element == A.PropTag) &&
                (part.Class.empty() || part.Class == A.PropClass || ClassListContains(A.PropClass, part.Class)) &&
                (part.ID.empty() || part.ID == A.PropID) && (part.Pseudo.empty() || part.Pseudo == A.PropPseudo);
            if (match) {
                if (k + 1 == parts.size()) E.MergeStyleEntry(*Styles.Objects(Index), false);
                direct = part.Child;
                ++k;
            } else if (direct) {
                break;  // a required parent did not match
            }
        }
        return true;
    }

    TProperties& E;
    TStyleList& Styles;
    std::u16string T, I, P;
    int J;
};

}  // namespace

void TProperties::Combine(TStyleList& Styles, std::u16string_view Tag, std::u16string_view AClass,
                          std::u16string_view AnID, std::u16string_view Pseudo, std::u16string_view ATitle,
                          TProperties* AProp, int ParentIndexInPropStack) {
    // Relative sizes resolve once, against what the element inherited.
    double parentSize = DefPointSize();
    if (!(UseQuirksMode() && (Tag == u"td" || Tag == u"th")) && VarIsNumeric(Props[FontSize]) &&
        VarToDouble(Props[FontSize]) > 0)
        parentSize = VarToDouble(Props[FontSize]);

    std::vector<std::u16string> classes;
    const std::u16string c = trim(AClass);
    if (!c.empty()) {
        size_t i = 0;
        for (size_t dot; (dot = c.find(u'.', i)) != std::u16string::npos; i = dot + 1)
            if (dot > i) classes.push_back(trim(c.substr(i, dot - i)));
        if (i < c.size()) classes.push_back(trim(c.substr(i)));
        if (classes.size() > 1) classes.push_back(std::u16string(AClass));
    }
    TCascade(*this, Styles, Tag, AnID, Pseudo, ParentIndexInPropStack).Run(classes, AProp);
    if (!VarIsNumeric(Props[FontSize]))
        Props[FontSize] = FontSizeToPoints(VarToText(Props[FontSize]), UseQuirksMode(), parentSize, DefPointSize());

    PropTag = Tag;
    PropClass = AClass;
    PropID = AnID;
    PropPseudo = Pseudo;
    PropStyle = AProp;
    if (!ATitle.empty()) PropTitle = ATitle;
    if (Pseudo == u"link") {
        if (!FIArray) FIArray = std::make_unique<TFontInfoArray>();
        int top = -1;
        if (PropStack)
            for (int k = PropStack->Count() - 1; k >= 0; --k)
                if (PropStack->GetProp(k) == this) {
                    top = k;
                    break;
                }
        CalcLinkFontInfo(Styles, top);
        InLink = true;
    }
}

void TProperties::CalcLinkFontInfo(TStyleList& Styles, int K) {
    if (!FIArray) FIArray = std::make_unique<TFontInfoArray>();
    SetFontBG();
    FillFontInfo(FIArray->Ar[0]);
    if (!PropStack || K < 0 || K >= PropStack->Count() || PropStack->GetProp(K) != this) {
        for (int s = 1; s < 4; ++s) FIArray->Ar[size_t(s)] = FIArray->Ar[0];
        return;
    }
    // The other states are this element again, on temporary entries above it;
    // their ancestors are this element's.
    const int parent = K - 1;
    auto state = [&](int at, int from, const char16_t* pseudo, int record) {
        auto p = std::make_unique<TProperties>(PropStack, UseQuirksMode());
        p->Inherit(u"", *PropStack->GetProp(from));
        TProperties* t = PropStack->Insert(at, std::move(p));
        t->Combine(Styles, PropTag, PropClass, PropID, pseudo, PropTitle, PropStyle, parent);
        t->SetFontBG();
        t->FillFontInfo(FIArray->Ar[size_t(record)]);
    };
    state(K + 1, K, u"visited", 1);
    state(K + 2, K + 1, u"hover", 3);
    PropStack->Delete(K + 2);
    PropStack->Delete(K + 1);
    state(K + 1, K, u"hover", 2);
    PropStack->Delete(K + 1);
}
