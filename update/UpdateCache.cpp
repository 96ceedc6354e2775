#include "update/UpdateCache.h"

#include <string>

#include "platform/core/config/CfgMacros.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/MarkupEscape.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/TCDirectoryNode.h"
#include "platform/runtime/TimeUtils.h"
#include "platform/runtime/Translation.h"
#include "platform/runtime/VersionInfo.h"
#include "platform/win/PrivateProfile.h"
#include "update/UpdationConfig.h"

namespace {

constexpr uint32_t kSectionBuffer = 32768;

bool skipUpdateLog(const char* path, bool, void*) { return TCString(extractFileName(path)).posIC("updateLog.txt") < 0; }

}  // namespace

bool cleanUpdateCache() {
    const TCString folder = getCFGMacroValue("$UPDATES$");
    if (folder.isEmpty()) return false;
    TCDirectoryNode listing;
    if (!listing.buildTree(makePathName(folder.c_str(), "*.*").c_str(), false, false, skipUpdateLog, nullptr))
        return false;
    for (int i = 0; i < listing.count(); ++i) {
        const TCDirectoryNode* entry = listing.at(i);
        const int r = removeFile(entry->c_str());
        if (r != 0) {
            const KResult code = systemResult(r);
            KV_HLogFmtText(code, zrnTranslateString("Файл '%s' не удален из папки обновлений. %s!").c_str(),
                           entry->c_str(), KRTL_GetTextMessage(code).c_str());
        }
    }
    csLogFmtText(0, "%s",
                 zrnTranslateString("Кешированные ранее файлы обновлений успешно удалены из локальной папки").c_str());
    return true;
}

void updateInfoHtml(TCString& out) {
    const TCString file = versionsFileName();
    char number[64];
    const uint32_t n = GetPrivateProfileStringA("", "lastUpdated", "", number, sizeof number, file.c_str());
    const int64_t t = TCString(number, n).asInt64(10, 0);
    if (t == 0) {
        out = zrnTranslateString(
            "<blockquote><font size=5 color=red><b>Информация о обновлениях отсутсвует!</b></font></blockquote>");
        return;
    }
    std::string section(kSectionBuffer, '\0');
    const uint32_t got = GetPrivateProfileSectionA("modules", section.data(), kSectionBuffer, file.c_str());
    if (got == 0) return;
    // The heading holds one %s for the date; its "80%" widths are text, not conversions.
    TCString heading = zrnTranslateString(
        "<blockquote><font size=5 color=navy><b>Информация о обновлениях программы</b></font></blockquote><br><b>Дата "
        "последнего обновления</b>:<font color=navy> %s</font><p><table width = 80%><tr><td width=60% ><b>Имя "
        "файла</td><td width=40%>    <b>Редакция</b></td></tr>");
    const int at = heading.pos("%s");
    if (at >= 0) heading.str().replace(size_t(at), 2, escapeMarkup(dateTimeStr(t, false).view()));
    out = heading;
    for (size_t pos = 0; pos < got;) {
        const char* line = section.data() + pos;
        const size_t len = std::char_traits<char>::length(line);
        if (len == 0) break;
        pos += len + 1;
        const TCString item(line, len);
        const TCString name = item.name();
        TCString shown = item.value();
        if (!name.isEmpty() && !shown.isEmpty()) {
            uint32_t value = 0;
            if (!shown.asUInt(&value, 16)) continue;
            const TCModuleVersionInfo v(value);
            if (v.major() != 0) {
                const TCString ext = getExt(name.c_str()).lower();
                if (ext == ".exe" || ext == ".dll")
                    shown = TCString::format("%u.%u.%u.%u", v.major(), v.minor(), v.release(), v.build());
                else shown = gm_dateStr(value, false);
            }
        }
        out.cat_printf("<tr><td>%s</td><td>%s</td></tr>", escapeMarkup(name.view()).c_str(),
                       escapeMarkup(shown.view()).c_str());
    }
    out += "</table></p>";
}
