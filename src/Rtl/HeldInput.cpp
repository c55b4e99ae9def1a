#include "Rtl/HeldInput.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <algorithm>
#include <deque>
#include <vector>

bool IsUserInput(int eventType) {
    switch (eventType) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

namespace {

TInputReplay KeepClone(const QEvent& event) {
    std::shared_ptr<const QEvent> kept(event.clone());
    return [kept] { return std::unique_ptr<QEvent>(kept->clone()); };
}

bool ModalWindow(const QObject* window) {
    return window->property("modality").toInt() != Qt::NonModal;
}

TInputKeeping& Keeping() {
    static TInputKeeping keeping{KeepClone, ModalWindow, [] { return false; }};
    return keeping;
}

bool Visible(const QObject* window) {
    return window->property("visible").toBool();
}

// One per application, made at its first wait and owned by the application object.
class TInputQueue : public QObject {
  public:
    static TInputQueue* Get() {
        static QPointer<TInputQueue> queue;
        if (!queue)
            queue = new TInputQueue(QCoreApplication::instance());
        return queue;
    }

    void Begin() {
        if (FDepth++ == 0)
            Watch(true);
    }

    void End() {
        if (--FDepth > 0)
            return;
        FShown.clear();
        if (FHeld.empty())
            Watch(false);
        else
            PostReplay();
    }

  protected:
    bool event(QEvent* event) override {
        if (event->type() != ReplayEvent())
            return QObject::event(event);
        FPosted = false;
        Replay();
        return true;
    }

    bool eventFilter(QObject* receiver, QEvent* event) override {
        // Input enters through its window; the window hands it on to the widget under it.
        if (!receiver->isWindowType() || event == FReplaying)
            return false;
        if (event->type() == QEvent::Show && FDepth > 0) {
            FShown.emplace_back(receiver);
            return false;
        }
        if (!IsUserInput(event->type()) || TakesInputNow(receiver))
            return false;
        FHeld.push_back({receiver, Keeping().Keep(*event)});
        return true;
    }

  private:
    explicit TInputQueue(QObject* owner) : QObject(owner) {
        FRetry.setSingleShot(true);
        connect(&FRetry, &QTimer::timeout, this, [this] { Replay(); });
    }

    static QEvent::Type ReplayEvent() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }

    // Posted, so the next ProcessMessages hands the input back (a pause is followed by one).
    void PostReplay() {
        if (FPosted)
            return;
        FPosted = true;
        QCoreApplication::postEvent(this, new QEvent(ReplayEvent()));
    }

    struct Held {
        QPointer<QObject> Window;
        TInputReplay Make;
    };

    void Watch(bool on) {
        if (on == FWatching)
            return;
        FWatching = on;
        if (on)
            QCoreApplication::instance()->installEventFilter(this);
        else
            QCoreApplication::instance()->removeEventFilter(this);
    }

    // A window in front takes its own input at once: between waits always (a box that held
    // input opened waits for its own), during a wait if it was shown since the wait began.
    // Input for the other windows that comes between waits, while some is still held, queues
    // up behind it.
    bool TakesInputNow(const QObject* window) const {
        if (!Keeping().InFront(window))
            return false;
        return FDepth == 0 ||
               std::any_of(FShown.begin(), FShown.end(),
                           [window](const QPointer<QObject>& w) { return w == window; });
    }

    // Held input may go to a window now: no wait runs, and no other window is in front.
    bool Deliverable(const Held& h) const {
        return FDepth == 0 && (!Keeping().AnyInFront() || Keeping().InFront(h.Window));
    }

    // Hands back, in order, every held event whose window takes input now; a handler it runs
    // may wait or open a box, and what is held then stays in order behind.
    void Replay() {
        for (;;) {
            auto next = std::find_if(FHeld.begin(), FHeld.end(),
                                     [this](const Held& h) { return !h.Window || Deliverable(h); });
            if (next == FHeld.end())
                break;
            Held h = std::move(*next);
            FHeld.erase(next);
            // A window that went (closed, hidden) gets nothing more.
            if (!h.Window || !Visible(h.Window))
                continue;
            std::unique_ptr<QEvent> event = h.Make();
            const QEvent* outer = FReplaying;
            FReplaying = event.get();
            QCoreApplication::sendEvent(h.Window, event.get());
            FReplaying = outer;
        }
        if (FDepth > 0)
            return; // the wait's end replays again
        if (FHeld.empty())
            Watch(false);
        else
            FRetry.start(20); // a window in front: try again once it has gone
    }

    std::deque<Held> FHeld;
    std::vector<QPointer<QObject>> FShown;
    QTimer FRetry;
    bool FPosted = false;
    const QEvent* FReplaying = nullptr;
    int FDepth = 0;
    bool FWatching = false;
};

} // namespace

void SetInputKeeping(TInputKeeping keeping) {
    TInputKeeping& k = Keeping();
    if (keeping.Keep)
        k.Keep = std::move(keeping.Keep);
    if (keeping.InFront)
        k.InFront = std::move(keeping.InFront);
    if (keeping.AnyInFront)
        k.AnyInFront = std::move(keeping.AnyInFront);
}

void BeginInputHold() {
    TInputQueue::Get()->Begin();
}

void EndInputHold() {
    TInputQueue::Get()->End();
}
