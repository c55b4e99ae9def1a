#pragma once
// The application object's title and the guard that turns an escaping exception into the
// top-level error report, so an exception never crosses the event loop.
#include <QString>
#include <functional>

QString AppTitle();
void SetAppTitle(const QString& title);

// Runs a handler; anything it throws is shown in a modal error box and the program goes on.
void Guarded(const std::function<void()>& handler);
