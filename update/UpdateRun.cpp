#include "update/UpdateRun.h"

#include <memory>

#include "dialogs/MessageView.h"
#include "platform/core/config/PathMacros.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Translation.h"
#include "platform/win/Process.h"
#include "update/FileFetch.h"
#include "update/UpdateList.h"
#include "update/UpdateLog.h"
#include "update/UpdateOutcome.h"
#include "update/WinHttpClient.h"

namespace {

constexpr KResult kMissing = 0xC0800005u;
constexpr KResult kNotDue = 0x40800028u;
constexpr KResult kRefused = 0xC0800024u;
constexpr KResult kStartFailed = 0xC0800026u;
constexpr KResult kAvailable = 0x40800022u;
constexpr KResult kSkipped = 0x80800003u;
constexpr uint32_t kYesNoQuestion = 36;
constexpr uint32_t kErrorIcon = 16;
constexpr uint32_t kInformationIcon = 64;
constexpr int kYes = 6;

// This platform is always new enough for the updater.
bool isWindows7OrLater() { return true; }

TCUpdationCtx* orDefault(TCUpdationCtx* ctx) { return ctx ? ctx : &defaultUpdationCtx(); }

// The command's message callback: the program's message window, counting
// in the user value the errors it showed, so that the outcome repeats none.
int commandMessageBox(TCUpdationCtx* ctx, const char* text, uint32_t flags) {
    if ((flags & 0xF0u) == kErrorIcon) ++ctx->userValue;
    return updateMessageBox(ctx, text, flags);
}

}  // namespace

TCUpdationCtx& defaultUpdationCtx() {
    static TCUpdationCtx ctx;
    return ctx;
}

int updateMessageBox(TCUpdationCtx*, const char* text, uint32_t flags) {
    return messageBox(nullptr, text, zrnTranslateString("Внимание!").c_str(), flags);
}

KResult TCUpdateFilesList::prepare(int mode, const char* listHref) {
    updatesFolder = getCFGMacroValue("$UPDATES$");
    if (!dirExists(updatesFolder.c_str()) && makeDirectory(updatesFolder.c_str()) != 0) {
        KV_HLogFmtText(
            kMissing,
            zrnTranslateString("Ошибка создания папки обновлений '%s'.Обновление программы производится не будет")
                .c_str(),
            updatesFolder.c_str());
        return kMissing;
    }
    settings.read();
    loadExtCert();
    if (listHref) settings.href = listHref;
    if (mode == UPD_MODE_COMMAND || mode == UPD_MODE_FORCED) return 0;
    if (!settings.checkAtStart() || settings.periodRunning()) return kNotDue;
    csLogFmtText(0, "%s", zrnTranslateString("Проверка наличия обновлений программы...").c_str());
    return 0;
}

KResult TCUpdateFilesList::collect(TCUpdationCtx*) {
    if (TCString(settings.href).trim().isEmpty()) {
        KV_HLogFmtText(kMissing, "%s", zrnTranslateString("Не задан адрес реестра обновлений!").c_str());
        return kMissing;
    }
    // The list is no larger than a document the verifier reads.
    TFetchLimits listLimits;
    listLimits.maxSize = TCXMLBaseParser::kMaxDocumentSize;
    const KResult fetched = fetchFile(settings.href.c_str(), updatesFolder.c_str(), &settings, &listLimits);
    if (isFailure(fetched)) return fetched;
    const TCString listPath = makePathName(updatesFolder.c_str(), urlFileName(settings.href.c_str()).c_str());
    const KResult verified = verifyAndRead(*this, listPath.c_str());
    if (isFailure(verified)) return verified;
    loadInstalledRevisions();
    KResult n = 0;
    for (int i = 0; i < count(); ++i) {
        TCUPFileInfo* e = at(i);
        if (e->isInstalled()) continue;
        const KResult r = e->download(updatesFolder.c_str(), settings);
        if (isFailure(r)) return r;
        ++n;
        if (e->fileFlags.isSet(UPF_EXCLUSIVE)) break;
    }
    return n;
}

KResult TCUpdateFilesList::runFile(TCUPFileInfo& entry, TCUpdationCtx* ctx) {
    ctx = orDefault(ctx);
    const TCString path = makePathName(updatesFolder.c_str(), entry.c_str());
    TCString systemText;
    if (startDetachedProcess(path.c_str(), systemText) == 0) {
        const TCString started =
            TCString::format(zrnTranslateString("Запущено обновление '%s'.").c_str(), entry.displayText().c_str());
        KV_HLogText(0, started.c_str());
        addOutcomeLine(ctx->text, started.c_str());
        return 0;
    }
    const TCString text =
        TCString::format(zrnTranslateString("Запуск обновления '%s'. %s!").c_str(), path.c_str(), systemText.c_str());
    KV_HLogText(kStartFailed, text.c_str());
    if (ctx->message) ctx->message(ctx, text.c_str(), kErrorIcon);
    return kStartFailed;
}

KResult TCUpdateFilesList::apply(int mode, TCUpdationCtx* ctx) {
    ctx = orDefault(ctx);
    const KResult n = collect(ctx);
    if (isFailure(n)) return n;
    if (mode != UPD_MODE_FORCED) settings.touchLastCheck();
    if (n == 0) {
        const TCString none = zrnTranslateString("Обновления отсутствуют.");
        csLogFmtText(0, "%s", none.c_str());
        addOutcomeLine(ctx->text, none.c_str());
        return 0;
    }
    // A copy that failed fails the run, after the other entries had their turn.
    KResult copyFailure = 0;
    for (int i = 0; i < count(); ++i) {
        TCUPFileInfo* e = at(i);
        if (e->isInstalled()) continue;
        // Only what this run fetched and verified is used; a file of that name
        // left in the updates folder by anything else is not.
        if (!e->verified) {
            KV_HLogFmtText(kSkipped,
                           zrnTranslateString("Обновление '%s' не было загружено в этом сеансе и пропущено.").c_str(),
                           e->displayText().c_str());
            continue;
        }
        if (e->action == UPF_ACTION_COPY || e->action == UPF_ACTION_RUN) {
            // Checked again right before use: the file may have changed since.
            const KResult r = e->checkHash(updatesFolder.c_str(), false);
            if (r != 0) {
                removeFile(makePathName(updatesFolder.c_str(), e->c_str()).c_str());
                if (e->action == UPF_ACTION_RUN) return r;
                continue;
            }
        }
        switch (e->action) {
        case UPF_ACTION_COPY: {
            const KResult r = e->copyToDest(updatesFolder.c_str());
            if (r == 0) {
                saveRevisions();
                if (e->fileFlags.isSet(UPF_EXIT) && mode == UPD_MODE_COMMAND)
                    ctx->flags.set(UPD_MUST_EXIT | UPD_FILES_REPLACED);
            } else if (!copyFailure) {
                copyFailure = r;
            }
            break;
        }
        case UPF_ACTION_RUN: {
            const bool exits = e->fileFlags.isSet(UPF_EXIT);
            if (exits) {
                ctx->flags.set(UPD_MUST_EXIT);
                if (ctx->message) {
                    const TCString question = TCString::format(
                        zrnTranslateString(
                            "Для запуска обновления '%s' необходимо закрыть текущую программу.\nСделать это сейчас?")
                            .c_str(),
                        e->displayText().c_str());
                    if (ctx->message(ctx, question.c_str(), kYesNoQuestion) != kYes) {
                        KV_HLogFmtText(kRefused, zrnTranslateString("Запуск обновления '%s' был отменен.").c_str(),
                                       e->displayText().c_str());
                        ctx->flags.clear();
                        return kRefused;
                    }
                    ctx->flags.clear(UPD_FILES_REPLACED);
                }
            }
            const KResult r = runFile(*e, ctx);
            if (isFailure(r)) {
                // Nothing was started: nothing to close the program for.
                ctx->flags.clear(UPD_MUST_EXIT);
                return r;
            }
            // Started once per revision: the next run neither asks nor starts it again.
            e->installed = e->revision;
            e->started = true;
            saveRevisions();
            if (exits) {
                if (ctx->afterRun) ctx->afterRun(ctx);
                if (e->fileFlags.isSet(UPF_EXCLUSIVE)) return copyFailure;
            }
            break;
        }
        case UPF_ACTION_NOTIFY:
            KV_HLogText(kAvailable, TCString::format(zrnTranslateString("Доступно обновление  '%s' %s.").c_str(),
                                                     e->displayText().c_str(), e->c_str())
                                        .c_str());
            break;
        default:
            KV_HLogFmtText(kMissing, zrnTranslateString("Не задано действие для обновляемого файла '%s'!").c_str(),
                           e->c_str());
        }
    }
    return copyFailure;
}

KResult runUpdation(int mode, TCUpdationCtx* ctx, const char* appName, const char* listHref) {
    registerPathMacros(appName);
    if (!isWindows7OrLater()) return 0;
    ctx = orDefault(ctx);
    ctx->text.clear();
    openUpdateLog();
    // Released in this order: the outcome's output, the list, the update log
    // (the list's release closes it).
    struct CloseLog {
        ~CloseLog() { closeUpdateLog(); }
    } closeLog;
    std::unique_ptr<TCUpdateFilesList> list;
    TUpdateOutcome outcome(ctx->text);
    const TCString appl = getCFGMacroValue("APPL");
    if (appl.isEmpty()) {
        KV_HLogFmtText(kMissing, "%s", zrnTranslateString("Не задано имя обновления  текущего приложения!").c_str());
        return kMissing;
    }
    list = std::make_unique<TCUpdateFilesList>(appl.c_str());
    const KResult r = list->prepare(mode, listHref);
    if (r != 0) return r;
    ctx->flags.clear();
    return list->apply(mode, ctx);
}

void checkUpdatesNow(TForm* mainForm) {
    TCUpdationCtx ctx(commandMessageBox, 0, nullptr);
    const KResult r = runUpdation(UPD_MODE_COMMAND, &ctx, nullptr, nullptr);
    // The outcome, unless the operator has just declined an installer, was
    // shown an error already, or an installer now closes the program.
    const bool answered = r == kRefused || ctx.userValue != 0;
    const bool closing = ctx.mustExit() && !ctx.flags.isSet(UPD_FILES_REPLACED);
    if (!answered && !closing && !ctx.text.isEmpty())
        ctx.message(&ctx, ctx.text.c_str(), isFailure(r) ? kErrorIcon : kInformationIcon);
    if (ctx.flags.isSet(UPD_FILES_REPLACED)) {
        const TCString question = zrnTranslateString(
            "Для того, чтобы загруженные обновления вступили в силу необходимо перезагрузить программу. Закрыть "
            "текущее приложение прямо сейчас?");
        if (ctx.message(&ctx, question.c_str(), kYesNoQuestion) != kYes) return;
    }
    if (ctx.mustExit() && mainForm) mainForm->Close();
}
