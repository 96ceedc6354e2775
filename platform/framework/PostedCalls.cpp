#include "platform/framework/PostedCalls.h"

#include <QCoreApplication>
#include <QObject>

#include <memory>
#include <unordered_map>

#include "platform/framework/Classes.h"
#include "platform/framework/QtInternals.h"

namespace {

// One Qt object per target that has calls waiting: the calls are posted to
// it, so deleting it drops them.
class PostedCallWatcher : public TComponent {
public:
    PostedCallWatcher() : TComponent(nullptr) {}

    QObject* ContextOf(TComponent* Target) {
        auto it = FContexts.find(Target);
        if (it != FContexts.end()) return it->second.Context;
        Target->FreeNotification(this);
        QObject* context = new QObject;
        FContexts.emplace(Target, Entry{context, 0});
        return context;
    }
    int Pending(const TComponent* Target) const {
        auto it = FContexts.find(const_cast<TComponent*>(Target));
        return it == FContexts.end() ? 0 : it->second.Pending;
    }
    void CountPending(TComponent* Target, int Delta) {
        auto it = FContexts.find(Target);
        if (it != FContexts.end()) it->second.Pending += Delta;
    }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation != opRemove) return;
        auto it = FContexts.find(AComponent);
        if (it == FContexts.end()) return;
        QObject* context = it->second.Context;
        FContexts.erase(it);
        // The waiting calls (and what they hold) go now; the object itself
        // later, as one of its calls may be running.
        QCoreApplication::removePostedEvents(context);
        context->deleteLater();
    }

private:
    struct Entry {
        QObject* Context;
        int Pending;
    };
    std::unordered_map<TComponent*, Entry> FContexts;
};

// Lives as long as the process: components still alive at exit refer to it.
PostedCallWatcher& watcher() {
    static PostedCallWatcher* w = new PostedCallWatcher;
    return *w;
}

}  // namespace

void PostCall(TComponent* Target, std::function<void()> Call) {
    if (!Target || !Call || Target->IsDestroying()) return;
    if (!QCoreApplication::instance()) {
        // No event loop to wait for: the call runs now.
        dispatchGuarded(Target, Call);
        return;
    }
    QObject* context = watcher().ContextOf(Target);
    watcher().CountPending(Target, 1);
    QMetaObject::invokeMethod(
        context,
        [Target, Call = std::move(Call)] {
            watcher().CountPending(Target, -1);
            dispatchGuarded(Target, Call);
        },
        Qt::QueuedConnection);
}

int PendingPostedCalls(const TComponent* Target) { return watcher().Pending(Target); }
