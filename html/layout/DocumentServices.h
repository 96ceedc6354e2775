#pragma once
// What the document needs of the window system besides drawing: a timer for
// the animation tick, the state of the left mouse button, and repainting the
// paint panel. The framework gives the real ones (FrameworkDocumentServices);
// tests put their own in place through ThtDocument::SetServices.
#include <cstdint>
#include <functional>
#include <memory>

class TWinControl;

class ThtDocTimer {
public:
    virtual ~ThtDocTimer() = default;
    virtual void SetEnabled(bool Value) = 0;
    virtual bool Enabled() const = 0;
    virtual void SetInterval(uint32_t Milliseconds) = 0;
    virtual uint32_t Interval() const = 0;
};

class ThtDocumentServices {
public:
    virtual ~ThtDocumentServices() = default;
    // A timer, made disabled, that runs OnTick at each tick until it is freed.
    virtual std::unique_ptr<ThtDocTimer> CreateTimer(std::function<void()> OnTick) = 0;
    // The left mouse button is held down now.
    virtual bool LeftButtonDown() = 0;
    // Repaints the paint panel (null: there is none).
    virtual void Invalidate(TWinControl* Panel) = 0;
};

// The framework's timer, mouse state and controls.
std::shared_ptr<ThtDocumentServices> FrameworkDocumentServices();
