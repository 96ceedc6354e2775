#include "platform/framework/SysMsgBox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include <cstdio>

#include "platform/framework/Forms.h"
#include "platform/framework/QtBridge.h"
#include "platform/runtime/Translation.h"

IMPLEMENT_CLASS(TSysMessageBox, TObject) {}

namespace {
int firstButtonResult(uint32_t style) {
    switch (style & 0xF) {
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNOCANCEL:
    case MB_YESNO: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
    case MB_CANCELTRYCONTINUE: return IDCANCEL;
    default: return IDOK;
    }
}

void toStderr(const String& text, const String& caption) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
}
}  // namespace

bool IsUserInterfaceThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

int SysMessageBox(const String& text, const String& caption, uint32_t style) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || !IsUserInterfaceThread()) {
        toStderr(text, caption);
        return firstButtonResult(style);
    }
    TSysMessageBox info;
    info.Text = text;
    info.Caption = caption;
    info.Style = style;
    int hooked = 0;
    if (RunModalHook(&info, hooked)) return hooked ? hooked : firstButtonResult(style);
    if (QGuiApplication::platformName() == "offscreen") {
        toStderr(text, caption);
        return firstButtonResult(style);
    }
    QMessageBox box;
    box.setTextFormat(Qt::PlainText);
    box.setText(toQ(text));
    box.setWindowTitle(toQ(caption));
    switch (style & 0xF0) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    // A button is a standard one, or (for Try Again and Continue, which Qt
    // lacks) a translated caption with the role that places it.
    struct B {
        QMessageBox::StandardButton b;
        const char* text;
        QMessageBox::ButtonRole role;
        int id;
    };
    constexpr auto none = QMessageBox::NoButton;
    std::vector<B> buttons;
    switch (style & 0xF) {
    case MB_OKCANCEL:
        buttons = {{QMessageBox::Ok, nullptr, {}, IDOK}, {QMessageBox::Cancel, nullptr, {}, IDCANCEL}};
        break;
    case MB_ABORTRETRYIGNORE:
        buttons = {{QMessageBox::Abort, nullptr, {}, IDABORT},
                   {QMessageBox::Retry, nullptr, {}, IDRETRY},
                   {QMessageBox::Ignore, nullptr, {}, IDIGNORE}};
        break;
    case MB_YESNOCANCEL:
        buttons = {{QMessageBox::Yes, nullptr, {}, IDYES},
                   {QMessageBox::No, nullptr, {}, IDNO},
                   {QMessageBox::Cancel, nullptr, {}, IDCANCEL}};
        break;
    case MB_YESNO: buttons = {{QMessageBox::Yes, nullptr, {}, IDYES}, {QMessageBox::No, nullptr, {}, IDNO}}; break;
    case MB_RETRYCANCEL:
        buttons = {{QMessageBox::Retry, nullptr, {}, IDRETRY}, {QMessageBox::Cancel, nullptr, {}, IDCANCEL}};
        break;
    case MB_CANCELTRYCONTINUE:
        buttons = {{QMessageBox::Cancel, nullptr, {}, IDCANCEL},
                   {none, "Повторить попытку", QMessageBox::AcceptRole, IDTRYAGAIN},
                   {none, "Продолжить", QMessageBox::AcceptRole, IDCONTINUE}};
        break;
    default: buttons = {{QMessageBox::Ok, nullptr, {}, IDOK}}; break;
    }
    std::vector<QAbstractButton*> made;
    for (const B& b : buttons)
        made.push_back(b.text
                           ? static_cast<QAbstractButton*>(box.addButton(toQ(zrnTranslateString(b.text).str()), b.role))
                           : box.addButton(b.b));
    if (style & (MB_SETFOREGROUND | MB_TOPMOST)) box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.exec();
    for (size_t i = 0; i < made.size(); ++i)
        if (box.clickedButton() == made[i]) return buttons[i].id;
    // Closed without a button (Escape or the window's close box).
    return buttons.size() == 1 ? buttons[0].id : IDCANCEL;
}
