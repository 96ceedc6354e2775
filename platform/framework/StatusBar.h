#pragma once
// The status bar: one simple text at the bottom of a form; with AutoHint it
// shows the long part of the hint of the control or menu item under the mouse.
#include "platform/framework/Controls.h"

class TStatusBar : public TWinControl {
    DECLARE_CLASS(TStatusBar)
    explicit TStatusBar(TComponent* AOwner);
    ~TStatusBar() override;

    String SimpleText() const { return FSimpleText; }
    void SetSimpleText(const String& v);
    bool SimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool v) { FSimplePanel = v; }
    bool AutoHint() const { return FAutoHint; }
    void SetAutoHint(bool v) { FAutoHint = v; }

    // A hint text reached the bar's window (the status-tip of a control or
    // menu item); with AutoHint it becomes the simple text.
    void HintShown(const String& text);

private:
    class QObject* FFilter = nullptr;
    String FSimpleText;
    bool FSimplePanel = true;
    bool FAutoHint = false;
};
