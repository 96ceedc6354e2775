#include "platform/framework/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

#include "platform/framework/Forms.h"
#include "platform/framework/QtBridge.h"

namespace {
std::unique_ptr<QTranslator> g_translator;
String g_language;
}  // namespace

bool InstallFrameworkTranslations(const String& languageCode) {
    EnsureApplication();
    if (g_translator) {
        QCoreApplication::removeTranslator(g_translator.get());
        g_translator.reset();
        g_language.clear();
    }
    auto t = std::make_unique<QTranslator>();
    // English is Qt's own language: its table is there, mostly empty.
    if (!t->load("qtbase_" + toQ(languageCode), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) return false;
    QCoreApplication::installTranslator(t.get());
    g_translator = std::move(t);
    g_language = languageCode;
    return true;
}

String FrameworkTranslationsLanguage() { return g_language; }
