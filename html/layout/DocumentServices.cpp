#include "html/layout/DocumentServices.h"

#include "platform/framework/Controls.h"
#include "platform/framework/ExtCtrls.h"

namespace {

class TFrameworkDocTimer : public ThtDocTimer {
public:
    explicit TFrameworkDocTimer(std::function<void()> OnTick) : FTimer(nullptr) {
        FTimer.SetEnabled(false);
        FTimer.OnTimer = [tick = std::move(OnTick)](TObject*) {
            if (tick) tick();
        };
    }
    void SetEnabled(bool Value) override { FTimer.SetEnabled(Value); }
    bool Enabled() const override { return FTimer.Enabled(); }
    void SetInterval(uint32_t Milliseconds) override { FTimer.SetInterval(Milliseconds); }
    uint32_t Interval() const override { return FTimer.Interval(); }

private:
    TTimer FTimer;
};

class TFrameworkDocumentServices : public ThtDocumentServices {
public:
    std::unique_ptr<ThtDocTimer> CreateTimer(std::function<void()> OnTick) override {
        return std::make_unique<TFrameworkDocTimer>(std::move(OnTick));
    }
    bool LeftButtonDown() override { return IsMouseButtonDown(mbLeft); }
    void Invalidate(TWinControl* Panel) override {
        if (Panel) Panel->Invalidate();
    }
};

}  // namespace

std::shared_ptr<ThtDocumentServices> FrameworkDocumentServices() {
    static const std::shared_ptr<ThtDocumentServices> services = std::make_shared<TFrameworkDocumentServices>();
    return services;
}
