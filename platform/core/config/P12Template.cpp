#include "platform/core/config/P12Template.h"

#include <openssl/obj_mac.h>
#include <openssl/objects.h>

#include "platform/core/config/XmlNode.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/TCStringList.h"
#include "platform/runtime/Translation.h"

bool TZrXP12Params::servesProfile(int id) const {
    if (profiles.empty() || id == 0) return true;
    for (int p : profiles)
        if (p == id) return true;
    return false;
}

namespace {

int curveOf(const TCString& t) {
    if (t.equalsIC("P-256") || t.equalsIC("prime256v1") || t.equalsIC("secp256r1")) return NID_X9_62_prime256v1;
    if (t.equalsIC("P-384") || t.equalsIC("secp384r1")) return NID_secp384r1;
    return 0;
}

X509_ALGOR* makeAlgor(const TZrXP12Params& p) {
    X509_ALGOR* a = X509_ALGOR_new();
    if (!a) return nullptr;
    int ok = 0;
    switch (p.kind) {
    case TZrXP12Params::EC:
    case TZrXP12Params::ECDH:
        ok = X509_ALGOR_set0(a, OBJ_nid2obj(NID_X9_62_id_ecPublicKey), V_ASN1_OBJECT, OBJ_nid2obj(p.curveNid));
        break;
    case TZrXP12Params::RSA: ok = X509_ALGOR_set0(a, OBJ_nid2obj(NID_rsaEncryption), V_ASN1_NULL, nullptr); break;
    case TZrXP12Params::Ed25519: ok = X509_ALGOR_set0(a, OBJ_nid2obj(NID_ED25519), V_ASN1_UNDEF, nullptr); break;
    case TZrXP12Params::X25519: ok = X509_ALGOR_set0(a, OBJ_nid2obj(NID_X25519), V_ASN1_UNDEF, nullptr); break;
    default: break;
    }
    if (!ok) {
        X509_ALGOR_free(a);
        return nullptr;
    }
    return a;
}

}  // namespace

bool parseP12Algorithm(const char* text, bool keyAgreement, TZrXP12Params& out) {
    TCString t(text ? text : "");
    t.trim();
    const TCString head = t.beforeFirst(':');
    const TCString arg = t.pos(':') >= 0 ? t.afterFirst(':') : TCString();
    out.kind = TZrXP12Params::None;
    out.curveNid = 0;
    out.bits = 0;
    if (!keyAgreement) {
        if (head.equalsIC("EC")) {
            out.curveNid = curveOf(arg);
            if (!out.curveNid) return false;
            out.kind = TZrXP12Params::EC;
        } else if (head.equalsIC("RSA")) {
            int32_t bits = 0;
            if (!arg.asInt(&bits, 10) || bits < 2048 || bits > 4096 || bits % 1024) return false;
            out.bits = bits;
            out.kind = TZrXP12Params::RSA;
        } else if (t.equalsIC("Ed25519")) {
            out.kind = TZrXP12Params::Ed25519;
        }
    } else {
        if (t.equalsIC("X25519")) {
            out.kind = TZrXP12Params::X25519;
        } else if (head.equalsIC("ECDH")) {
            out.curveNid = curveOf(arg);
            if (!out.curveNid) return false;
            out.kind = TZrXP12Params::ECDH;
        }
    }
    out.keyAgreement = keyAgreement;
    out.alg = t;
    return out.kind != TZrXP12Params::None;
}

TZrXP12Template::~TZrXP12Template() { clear(); }

void TZrXP12Template::clear() {
    for (auto* p : params_) {
        X509_ALGOR_free(p->algor);
        delete p;
    }
    params_.clear();
    fileName_.clear();
}

const TZrXP12Params* TZrXP12Template::at(int i) const {
    return i >= 0 && static_cast<size_t>(i) < params_.size() ? params_[static_cast<size_t>(i)] : nullptr;
}

std::vector<const TZrXP12Params*> TZrXP12Template::paramsFor(int profileId, bool keyAgreement) const {
    std::vector<const TZrXP12Params*> out;
    for (auto* p : params_)
        if (p->keyAgreement == keyAgreement && p->servesProfile(profileId)) out.push_back(p);
    return out;
}

const TZrXP12Params* TZrXP12Template::findParams(const char* name) const {
    for (auto* p : params_)
        if (p->name.compareIC(name ? name : "") == 0) return p;
    return nullptr;
}

const TZrXP12Params* TZrXP12Template::defaultParams(int profileId, bool keyAgreement) const {
    auto l = paramsFor(profileId, keyAgreement);
    for (auto* p : l)
        if (p->isDefault) return p;
    return l.empty() ? nullptr : l.front();
}

X509_ALGOR* TZrXP12Template::getCryptoParamters(int profileId, bool keyAgreement) const {
    const TZrXP12Params* p = defaultParams(profileId, keyAgreement);
    return p ? p->algor : nullptr;
}

KResult TZrXP12Template::assign(const TCXMLNode* root, const char* fileName) {
    clear();
    const TCString src(fileName ? fileName : "");
    auto bad = [&](const TCString& why) {
        clear();
        KV_HLogFmtText(KR_E_FORMAT, "Шаблон криптопараметров \"%s\": %s", src.c_str(),
                       zrnTranslateString(why.c_str()).c_str());
        return KR_E_FORMAT;
    };
    if (!root) return bad("нет данных");
    static const struct {
        const char* group;
        bool ka;
    } groups[] = {{"sign", false}, {"keyAgreement", true}};
    for (const auto& g : groups) {
        const TCXMLNode* grp = root->findChild(g.group);
        if (!grp) continue;
        for (int i = 0; i < grp->nodesCount(); ++i) {
            const TCXMLNode* n = grp->at(i);
            if (n->compare("params") != 0) continue;
            auto* p = new TZrXP12Params;
            params_.push_back(p);
            p->name = n->getStringAttr("name");
            p->name.trim();
            if (p->name.isEmpty()) return bad("набор параметров без имени");
            for (size_t j = 0; j + 1 < params_.size(); ++j)
                if (params_[j]->name.compareIC(p->name) == 0)
                    return bad(TCString::format("имя \"%s\" повторяется", p->name.c_str()));
            if (!parseP12Algorithm(n->getStringAttr("alg").c_str(), g.ka, *p))
                return bad(TCString::format("недопустимый алгоритм \"%s\" набора \"%s\"",
                                            n->getStringAttr("alg").c_str(), p->name.c_str()));
            p->caption = n->getStringAttr("caption", p->alg.c_str());
            p->isDefault = n->getBoolAttr("default", false);
            TCString profs = n->getStringAttr("profiles");
            profs.substChar(';', ',');
            TCStringList ids;
            ids.assignText(profs, ',');
            for (int k = 0; k < ids.count(); ++k) {
                TCString item = ids[k];
                item.trim();
                if (item.isEmpty()) continue;
                int32_t id = 0;
                if (!item.asInt(&id, 10) || id <= 0)
                    return bad(TCString::format("недопустимый список профилей набора \"%s\"", p->name.c_str()));
                p->profiles.push_back(id);
            }
            p->algor = makeAlgor(*p);
            if (!p->algor) return bad("нет памяти");
        }
    }
    if (params_.empty()) return bad("нет ни одного набора параметров");
    fileName_ = src;
    return 0;
}

KResult loadP12Template(const char* fileName, TZrXP12Template* tmpl) {
    if (!tmpl || !fileName || !*fileName) return KR_E_INVALIDARG;
    TCXMLNodeParser parser(true);
    const KResult r = parser.load(fileName);
    if (isFailure(r)) return r;
    return tmpl->assign(parser.getRoot(), fileName);
}

TCString getCryptoParsCaption(const TZrXP12Params* params) {
    if (!params) return TCString();
    if (!params->caption.isEmpty()) return zrnTranslateString(params->caption.c_str());
    switch (params->kind) {
    case TZrXP12Params::EC:
    case TZrXP12Params::ECDH: {
        const char* curve = params->curveNid == NID_secp384r1 ? "P-384" : "P-256";
        return TCString(params->kind == TZrXP12Params::EC ? "EC " : "ECDH ") + curve;
    }
    case TZrXP12Params::RSA: return TCFString("RSA %d", params->bits);
    case TZrXP12Params::Ed25519: return "Ed25519";
    case TZrXP12Params::X25519: return "X25519";
    default: return params->alg;
    }
}
