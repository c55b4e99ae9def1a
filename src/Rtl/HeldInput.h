#pragma once
// Keyboard and mouse input that arrives while a wait runs is held, in order, and handed back
// to its window once no wait runs: one event at a time, each built anew, in the order it came.
// The window system's own queue cannot do this: it counts a request to close a window as
// input too, and that request must get through.
#include <functional>
#include <memory>

class QEvent;
class QObject;

// Builds a held event anew when it is handed back.
using TInputReplay = std::function<std::unique_ptr<QEvent>()>;

// What the window layer knows about input that this layer, with events alone, does not.
struct TInputKeeping {
    // Records what an input event says. The default keeps a clone; a mouse event's clone
    // shares its point with the window system, which moves it on with the next event.
    std::function<TInputReplay(const QEvent& event)> Keep;
    // True for a window in front of the others (a message box, a modal dialog). One shown
    // since the wait began takes its input during the wait; the default asks its modality.
    std::function<bool(const QObject* window)> InFront;
    // True while a window is in front: held input for the other windows waits until none is.
    // The default knows of none.
    std::function<bool()> AnyInFront;
};
// Keyboard, mouse, wheel, touch and tablet events, and context menu requests.
bool IsUserInput(int eventType);

// Installs the window layer's knowledge; an empty member keeps the default.
void SetInputKeeping(TInputKeeping keeping);

// A wait runs between these two; waits nest, and input is held from the outermost Begin on.
void BeginInputHold();
void EndInputHold();
