#include "Forms/InputKeeping.h"

#include "Forms/MessageBox.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWindow>

namespace {

TInputReplay KeepMouse(const QMouseEvent& e) {
    const QEvent::Type type = e.type();
    const QPointF local = e.position(), scene = e.scenePosition(), global = e.globalPosition();
    const Qt::MouseButton button = e.button();
    const Qt::MouseButtons buttons = e.buttons();
    const Qt::KeyboardModifiers modifiers = e.modifiers();
    const QPointingDevice* device = e.pointingDevice();
    const quint64 timestamp = e.timestamp();
    return [=]() -> std::unique_ptr<QEvent> {
        auto made = std::make_unique<QMouseEvent>(type, local, scene, global, button, buttons,
                                                  modifiers, device);
        made->setTimestamp(timestamp);
        return made;
    };
}

TInputReplay KeepWheel(const QWheelEvent& e) {
    const QPointF local = e.position(), global = e.globalPosition();
    const QPoint pixels = e.pixelDelta(), angle = e.angleDelta();
    const Qt::MouseButtons buttons = e.buttons();
    const Qt::KeyboardModifiers modifiers = e.modifiers();
    const Qt::ScrollPhase phase = e.phase();
    const bool inverted = e.inverted();
    const Qt::MouseEventSource source = e.source();
    const QPointingDevice* device = e.pointingDevice();
    const quint64 timestamp = e.timestamp();
    return [=]() -> std::unique_ptr<QEvent> {
        auto made = std::make_unique<QWheelEvent>(local, global, pixels, angle, buttons, modifiers,
                                                  phase, inverted, source, device);
        made->setTimestamp(timestamp);
        return made;
    };
}

bool InFront(const QObject* object) {
    const auto* window = qobject_cast<const QWindow*>(object);
    return window && window->isVisible() &&
           (window->modality() != Qt::NonModal || IsMessageBoxWindow(window));
}

bool AnyInFront() {
    return QGuiApplication::modalWindow() || MessageBoxUp();
}

} // namespace

TInputReplay KeepInputEvent(const QEvent& event) {
    switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return KeepMouse(static_cast<const QMouseEvent&>(event));
    case QEvent::Wheel:
        return KeepWheel(static_cast<const QWheelEvent&>(event));
    default: {
        // Keys and the rest carry no shared point: a clone is a copy.
        std::shared_ptr<const QEvent> kept(event.clone());
        return [kept] { return std::unique_ptr<QEvent>(kept->clone()); };
    }
    }
}

void InstallInputKeeping() {
    SetInputKeeping({KeepInputEvent, InFront, AnyInFront});
}
