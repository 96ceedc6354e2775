// libcurl, loaded when the first transfer needs it. The program starts
// without it: the library and the two dozen it brings along (TLS, Kerberos,
// LDAP, SSH, IDN ...) would otherwise be mapped and relocated at every
// start, although most runs never go on the network. The code of this
// folder calls libcurl by its usual names, which this header puts onto the
// loaded functions; without the library every call fails as libcurl's own
// calls fail (CURLE_FAILED_INIT, no handle).
#pragma once

#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>

namespace zrx::curl {

struct Api {
    CURLcode (*global_init)(long flags);
    CURL* (*easy_init)();
    CURLcode (*easy_setopt)(CURL* handle, CURLoption option, ...);
    CURLcode (*easy_perform)(CURL* handle);
    CURLcode (*easy_getinfo)(CURL* handle, CURLINFO info, ...);
    void (*easy_cleanup)(CURL* handle);
    void (*easy_reset)(CURL* handle);
    const char* (*easy_strerror)(CURLcode code);
    curl_slist* (*slist_append)(curl_slist* list, const char* text);
    void (*slist_free_all)(curl_slist* list);
    void (*free)(void* p);
    CURLU* (*url)();
    CURLUcode (*url_set)(CURLU* url, CURLUPart part, const char* content, unsigned int flags);
    CURLUcode (*url_get)(const CURLU* url, CURLUPart part, char** content, unsigned int flags);
    void (*url_cleanup)(CURLU* url);
    curl_version_info_data* (*version_info)(CURLversion version);
};

// The loaded library's functions; null when libcurl cannot be loaded.
const Api* api();
// Whether libcurl is loaded in the process (tests: the start leaves it out).
bool loaded();

inline CURLcode globalInit(long flags) { return api() ? api()->global_init(flags) : CURLE_FAILED_INIT; }
inline CURL* easyInit() { return api() ? api()->easy_init() : nullptr; }
template <class T> CURLcode easySetopt(CURL* handle, CURLoption option, T value) {
    return api() && handle ? api()->easy_setopt(handle, option, value) : CURLE_FAILED_INIT;
}
inline CURLcode easyPerform(CURL* handle) { return api() && handle ? api()->easy_perform(handle) : CURLE_FAILED_INIT; }
template <class T> CURLcode easyGetinfo(CURL* handle, CURLINFO info, T out) {
    return api() && handle ? api()->easy_getinfo(handle, info, out) : CURLE_FAILED_INIT;
}
inline void easyCleanup(CURL* handle) {
    if (api() && handle) api()->easy_cleanup(handle);
}
inline void easyReset(CURL* handle) {
    if (api() && handle) api()->easy_reset(handle);
}
inline const char* easyStrerror(CURLcode code) {
    return api() ? api()->easy_strerror(code) : "libcurl (libcurl.so.4) cannot be loaded";
}
inline curl_slist* slistAppend(curl_slist* list, const char* text) {
    return api() ? api()->slist_append(list, text) : list;
}
inline void slistFreeAll(curl_slist* list) {
    if (api() && list) api()->slist_free_all(list);
}
inline void curlFree(void* p) {
    if (api() && p) api()->free(p);
}
inline CURLU* url() { return api() ? api()->url() : nullptr; }
inline CURLUcode urlSet(CURLU* u, CURLUPart part, const char* content, unsigned int flags) {
    return api() && u ? api()->url_set(u, part, content, flags) : CURLUE_BAD_HANDLE;
}
inline CURLUcode urlGet(const CURLU* u, CURLUPart part, char** content, unsigned int flags) {
    return api() && u ? api()->url_get(u, part, content, flags) : CURLUE_BAD_HANDLE;
}
inline void urlCleanup(CURLU* u) {
    if (api() && u) api()->url_cleanup(u);
}
inline curl_version_info_data* versionInfo(CURLversion version) {
    return api() ? api()->version_info(version) : nullptr;
}

}  // namespace zrx::curl

// curl.h checks the argument count of these two with macros of their own.
#undef curl_easy_setopt
#undef curl_easy_getinfo
#define curl_global_init zrx::curl::globalInit
#define curl_easy_init zrx::curl::easyInit
#define curl_easy_setopt zrx::curl::easySetopt
#define curl_easy_perform zrx::curl::easyPerform
#define curl_easy_getinfo zrx::curl::easyGetinfo
#define curl_easy_cleanup zrx::curl::easyCleanup
#define curl_easy_reset zrx::curl::easyReset
#define curl_easy_strerror zrx::curl::easyStrerror
#define curl_slist_append zrx::curl::slistAppend
#define curl_slist_free_all zrx::curl::slistFreeAll
#define curl_free zrx::curl::curlFree
#define curl_url zrx::curl::url
#define curl_url_set zrx::curl::urlSet
#define curl_url_get zrx::curl::urlGet
#define curl_url_cleanup zrx::curl::urlCleanup
#define curl_version_info zrx::curl::versionInfo
