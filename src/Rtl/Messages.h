#pragma once
// Message boxes through a replaceable presenter, so tests record instead of blocking.
#include <QString>
#include <functional>

enum class MessageKind { Error, Plain, Information };

using MessagePresenter = std::function<void(MessageKind, const QString&)>;

// Installs a presenter and returns the one it replaces; an empty function restores the default.
MessagePresenter SetMessagePresenter(MessagePresenter presenter);
// The default presenter: the window layer's message boxes once start-up installs them,
// standard error until then (an empty function goes back to standard error).
void SetDefaultMessagePresenter(MessagePresenter presenter);

// Modal error box with one OK button, titled with the application title.
void ShowError(const QString& text);
// Plain modal box (no icon) with one OK button.
void ShowMessage(const QString& text);
// Modal box with the information icon and one OK button: a result, not a failure.
void ShowInformation(const QString& text);
