#include "platform/net/CurlApi.h"

#include <dlfcn.h>

#include <atomic>
#include <mutex>

namespace zrx::curl {

namespace {
std::atomic<bool> g_loaded{false};

template <class F> bool resolve(void* library, const char* name, F& out) {
    out = reinterpret_cast<F>(dlsym(library, name));
    return out != nullptr;
}
}  // namespace

const Api* api() {
    static Api table;
    static bool ok = false;
    static std::once_flag once;
    std::call_once(once, [] {
        // The library stays loaded to the end of the process.
        void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
        if (!library) return;
        ok = resolve(library, "curl_global_init", table.global_init) &&
             resolve(library, "curl_easy_init", table.easy_init) &&
             resolve(library, "curl_easy_setopt", table.easy_setopt) &&
             resolve(library, "curl_easy_perform", table.easy_perform) &&
             resolve(library, "curl_easy_getinfo", table.easy_getinfo) &&
             resolve(library, "curl_easy_cleanup", table.easy_cleanup) &&
             resolve(library, "curl_easy_reset", table.easy_reset) &&
             resolve(library, "curl_easy_strerror", table.easy_strerror) &&
             resolve(library, "curl_slist_append", table.slist_append) &&
             resolve(library, "curl_slist_free_all", table.slist_free_all) &&
             resolve(library, "curl_free", table.free) && resolve(library, "curl_url", table.url) &&
             resolve(library, "curl_url_set", table.url_set) && resolve(library, "curl_url_get", table.url_get) &&
             resolve(library, "curl_url_cleanup", table.url_cleanup) &&
             resolve(library, "curl_version_info", table.version_info);
        g_loaded = ok;
    });
    return ok ? &table : nullptr;
}

bool loaded() { return g_loaded; }

}  // namespace zrx::curl
