#include "app/config/ConfigGlobals.h"

#include "app/config/CaConfig.h"
#include "app/config/ConfigBase.h"
#include "platform/x509api/ZrX509Api.h"

void initConfigGlobals() { (void)getCaConfig(); }

// One translation unit keeps the order: the certification authority's
// configuration first, then the program settings, which register themselves
// as the current settings.
namespace {
const bool g_caConfigBuilt = (initConfigGlobals(), true);
}  // namespace
TCCtxViewerConfig viewerConfig;

namespace {
void applyDigestMapping(const TCCtxViewerConfig& settings) {
    setMDMapMode(settings.flags.isSet(VCF_RADIO_CHOICE) ? 2 : 1);
}
}  // namespace

bool loadViewerSettings() {
    TCCtxViewerConfig* settings = getViewerConfig();
    if (!settings || !settings->load()) return false;
    applyDigestMapping(*settings);
    return true;
}

bool saveViewerSettings() {
    TCCtxViewerConfig* settings = getViewerConfig();
    if (!settings || !settings->save()) return false;
    applyDigestMapping(*settings);
    return true;
}

TCString getEnabledServiceFilesUrl() {
    TCCtxViewerConfig* settings = getViewerConfig();
    if (!settings || !settings->flags.isSet(VCF_UPDATE_SERVICE_FILES)) return TCString();
    return getServiceFilesUrl(settings);
}
