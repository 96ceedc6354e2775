#include "platform/runtime/Log.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/TimeUtils.h"
#include "platform/runtime/Translation.h"

namespace {
std::atomic<KV_HLogOutFunc> g_logOut{nullptr};
std::atomic<TCSLogOutFunc> g_eventOut{nullptr};
std::atomic<TCSDisplayFunc> g_display{nullptr};
std::atomic<uint32_t> g_dbgMask{0};

std::mutex g_dbgFileLock;
TCString g_dbgFile;

std::mutex g_descLock;
std::vector<TCDbgMaskDescriptor>& descriptors() {
    static std::vector<TCDbgMaskDescriptor> d = {
        {DBG_RUNTIME, "Библиотека времени выполнения"},
        {DBG_FILES, "Файлы и папки"},
        {DBG_NETWORK, "Сетевой обмен"},
        {DBG_UPDATE, "Обновление"},
        {DBG_DEVICES, "Носители ключей"},
        {DBG_CRYPTO, "Криптографические операции"},
    };
    return d;
}
}  // namespace

KV_HLogOutFunc csSetKV_HLogOutFunc(KV_HLogOutFunc fn) { return g_logOut.exchange(fn); }
KV_HLogOutFunc csGetHLogOutFunc() { return g_logOut.load(); }

int KV_HLogText(uint32_t code, const char* text) {
    const KV_HLogOutFunc fn = g_logOut.load();
    return fn ? fn(code, text ? text : "") : 0;
}

int KV_HLogVFmtText(uint32_t code, const char* fmt, va_list args) {
    if (!g_logOut.load()) return 0;
    // Records are read in the interface language: every library's format
    // passes through translation (one already translated finds no entry).
    const TCString t = TCString::vformat(zrnTranslateString(fmt).c_str(), args);
    return KV_HLogText(code, t.c_str());
}

int KV_HLogFmtText(uint32_t code, const char* fmt, ...) {
    va_list a;
    va_start(a, fmt);
    const int r = KV_HLogVFmtText(code, fmt, a);
    va_end(a);
    return r;
}

int KV_HLogLibFmtText(uint32_t code, const char* fmt, ...) {
    va_list a;
    va_start(a, fmt);
    TCString t = TCString::vformat(zrnTranslateString(fmt).c_str(), a);
    va_end(a);
    if (code != 0) {
        const TCString m = KRTL_GetTextMessage(code);
        if (!m.isEmpty()) t.appendf(t.isEmpty() ? "%s" : ". %s", m.c_str());
    }
    return KV_HLogText(code, t.c_str());
}

TCSLogOutFunc csSetLogOutFunc(TCSLogOutFunc fn) { return g_eventOut.exchange(fn); }
TCSLogOutFunc csGetLogOutFunc() { return g_eventOut.load(); }

void csLogFmtText(int32_t code, const char* fmt, ...) {
    const TCSLogOutFunc fn = g_eventOut.load();
    if (!fn) return;
    va_list a;
    va_start(a, fmt);
    const TCString t = TCString::vformat(zrnTranslateString(fmt).c_str(), a);
    va_end(a);
    fn(code, t.c_str());
}

TCSDisplayFunc csSetDisplayFunc(TCSDisplayFunc fn) { return g_display.exchange(fn); }
TCSDisplayFunc csGetDisplayFunc() { return g_display.load(); }
uint32_t csSetDbgOutMask(uint32_t mask) { return g_dbgMask.exchange(mask); }
uint32_t csGetDbgOutMask() { return g_dbgMask.load(); }

void csOutDbgText(uint32_t mask, const char* fmt, ...) {
    const uint32_t cur = g_dbgMask.load();
    if (cur == 0 || (mask != 0 && (mask & cur) == 0)) return;
    va_list a;
    va_start(a, fmt);
    const TCString t = TCString::vformat(fmt, a);
    va_end(a);
    if (const TCSDisplayFunc fn = g_display.load()) fn(t.c_str());
    std::lock_guard<std::mutex> g(g_dbgFileLock);
    if (g_dbgFile.isEmpty()) return;
    if (FILE* f = std::fopen(g_dbgFile.c_str(), "a")) {
        TCString line(t);
        line.substChar('\n', ' ').substChar('\r', ' ');
        std::fprintf(f, "%s | %08X | %s\n", currentTime().c_str(), mask, line.c_str());
        std::fclose(f);
    }
}

bool enableDebugLog(const char* folder) {
    if (!folder || !*folder) {
        disableDebugLog();
        return false;
    }
    if (checkDir(folder, 1, 0) != 0) return false;
    std::lock_guard<std::mutex> g(g_dbgFileLock);
    g_dbgFile = makePathName(folder, (getModuleFileName() + ".dbg.txt").c_str());
    return true;
}

void disableDebugLog() {
    std::lock_guard<std::mutex> g(g_dbgFileLock);
    g_dbgFile.clear();
}

TCString getDebugLogFile() {
    std::lock_guard<std::mutex> g(g_dbgFileLock);
    return g_dbgFile;
}

TCString getDBGLogDir() { return makePathName(makePathName(getCommonDataDir().c_str(), "zoren").c_str(), "dbg"); }

const std::vector<TCDbgMaskDescriptor>& getDbgMaskDesctiptors() {
    std::lock_guard<std::mutex> g(g_descLock);
    return descriptors();
}

void addDbgMaskDescriptor(uint32_t mask, const char* text) {
    std::lock_guard<std::mutex> g(g_descLock);
    for (auto& d : descriptors())
        if (d.mask == mask) {
            d.text = text;
            return;
        }
    descriptors().push_back({mask, text});
}
