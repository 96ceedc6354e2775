#include "platform/framework/SysMsgBox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include <cstdio>

#include "platform/framework/Forms.h"
#include "platform/framework/QtBridge.h"

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
    struct B { QMessageBox::StandardButton b; int id; };
    std::vector<B> buttons;
    switch (style & 0xF) {
    case MB_OKCANCEL: buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
    case MB_ABORTRETRYIGNORE:
        buttons = {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
        break;
    case MB_YESNOCANCEL:
        buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    case MB_YESNO: buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
    case MB_RETRYCANCEL: buttons = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}}; break;
    default: buttons = {{QMessageBox::Ok, IDOK}}; break;
    }
    QMessageBox::StandardButtons set;
    for (const B& b : buttons) set |= b.b;
    box.setStandardButtons(set);
    if (style & (MB_SETFOREGROUND | MB_TOPMOST)) box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    const int r = box.exec();
    for (const B& b : buttons)
        if (b.b == r) return b.id;
    return buttons.size() == 1 ? buttons[0].id : IDCANCEL;
}
