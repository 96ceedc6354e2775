#include "platform/framework/AppStyle.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>

#include "platform/framework/Controls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/QtBridge.h"
#include "platform/framework/SysMsgBox.h"
#include "platform/runtime/TCString.h"
#include "platform/runtime/Translation.h"

namespace {
String g_current;

struct Scheme {
    const char* name;
    QRgb window, base, alternate, button, text, highlight, highlightText, tooltip, border, menuBar;
};

// Colours chosen to read well in offscreen snapshots and on a desktop alike.
const Scheme kSchemes[] = {
    {"Light Sky Blue", 0xE6F3FB, 0xFFFFFF, 0xF2F9FD, 0xCDE8F8, 0x0B2239, 0x87CEFA, 0x0B2239, 0xFFFFE1, 0x7FB2D6,
     0xA8D8F8},
    {"Windows", 0xF0F0F0, 0xFFFFFF, 0xF7F7F7, 0xE1E1E1, 0x000000, 0x005FB8, 0xFFFFFF, 0xFFFFE1, 0xADADAD, 0xF8F8F8},
    {"Carbon", 0x2B2D30, 0x1E1F22, 0x26282B, 0x3C3F41, 0xDFE1E5, 0x2F65CA, 0xFFFFFF, 0x3C3F41, 0x55585C, 0x313335},
};

// The extension arrows of menu bars and tool bars, read from the base
// style's picture files the first time one is drawn. Reading a picture file
// loads every picture-format plug-in, and every main window makes a menu
// bar whose arrow is seldom shown: the start does not wait for them.
class TDeferredIconEngine : public QIconEngine {
public:
    explicit TDeferredIconEngine(QStyle::StandardPixmap sp) : FPixmap(sp) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    QIconEngine* clone() const override { return new TDeferredIconEngine(FPixmap); }
    QString key() const override { return QStringLiteral("zrx-deferred"); }

private:
    const QIcon& icon() {
        if (!FLoaded) {
            FLoaded = true;
            // The style in force when it is drawn: the one that made it may be gone.
            QStyle* s = QApplication::style();
            if (auto* proxy = qobject_cast<QProxyStyle*>(s); proxy && proxy->baseStyle()) s = proxy->baseStyle();
            if (s) FIcon = s->standardIcon(FPixmap);
        }
        return FIcon;
    }
    QStyle::StandardPixmap FPixmap;
    bool FLoaded = false;
    QIcon FIcon;
};

class TAppProxyStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    QIcon standardIcon(StandardPixmap sp, const QStyleOption* option, const QWidget* widget) const override {
        if (sp == SP_ToolBarHorizontalExtensionButton || sp == SP_ToolBarVerticalExtensionButton)
            return QIcon(new TDeferredIconEngine(sp));
        return QProxyStyle::standardIcon(sp, option, widget);
    }
};

const Scheme* findScheme(const String& name) {
    const QString n = toQ(name).trimmed();
    for (const Scheme& s : kSchemes)
        if (n.compare(QString::fromUtf8(s.name), Qt::CaseInsensitive) == 0) return &s;
    return nullptr;
}
}  // namespace

std::vector<String> AppStyleNames() {
    std::vector<String> out;
    for (const Scheme& s : kSchemes) out.push_back(s.name);
    return out;
}

bool ApplyAppStyle(const String& name) {
    const Scheme* s = findScheme(name);
    if (!s) return false;
    EnsureApplication();
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) return false;
    if (QStyle* fusion = QStyleFactory::create("Fusion")) app->setStyle(new TAppProxyStyle(fusion));
    QPalette p;
    p.setColor(QPalette::Window, QColor(s->window));
    p.setColor(QPalette::WindowText, QColor(s->text));
    p.setColor(QPalette::Base, QColor(s->base));
    p.setColor(QPalette::AlternateBase, QColor(s->alternate));
    p.setColor(QPalette::ToolTipBase, QColor(s->tooltip));
    p.setColor(QPalette::ToolTipText, QColor(s->text));
    p.setColor(QPalette::Text, QColor(s->text));
    p.setColor(QPalette::Button, QColor(s->button));
    p.setColor(QPalette::ButtonText, QColor(s->text));
    p.setColor(QPalette::Highlight, QColor(s->highlight));
    p.setColor(QPalette::HighlightedText, QColor(s->highlightText));
    p.setColor(QPalette::Mid, QColor(s->border));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    app->setPalette(p);
    // The menu bar's colour is a palette of its class, not a style sheet: a
    // style sheet would fix every widget's palette as it finds it, and no
    // later style could change it.
    QPalette bar = p;
    bar.setColor(QPalette::Window, QColor(s->menuBar));
    bar.setColor(QPalette::Button, QColor(s->menuBar));
    app->setPalette(bar, "QMenuBar");
    // Controls coloured with system colours take the new palette's.
    RefreshControlColors();
    g_current = s->name;
    return true;
}

String CurrentAppStyle() { return g_current; }

bool TStyleManager::TrySetStyle(const String& name, bool showError) {
    if (ApplyAppStyle(name)) return true;
    if (showError)
        SysMessageBox(TCString::format(zrnTranslateString("Стиль \"%s\" не найден").c_str(), name.c_str()).str(),
                      zrnTranslateString("Ошибка").str(), MB_ICONERROR);
    return false;
}
