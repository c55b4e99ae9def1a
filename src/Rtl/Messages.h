#pragma once
// Message boxes through a replaceable presenter, so tests record instead of blocking.
#include <QString>
#include <functional>

enum class MessageKind { Error, Plain, Information, Warning };

// One box: its kind, its text, and the reason behind it for the box's details part (empty:
// none). The text is the program's own message; the details say what the system reported.
struct TMessage {
    MessageKind Kind = MessageKind::Plain;
    QString Text;
    QString Details;
};

using MessagePresenter = std::function<void(const TMessage&)>;

// Installs a presenter and returns the one it replaces; an empty function restores the default.
MessagePresenter SetMessagePresenter(MessagePresenter presenter);
// The default presenter: the window layer's message boxes once start-up installs them,
// standard error until then (an empty function goes back to standard error).
void SetDefaultMessagePresenter(MessagePresenter presenter);

// Modal error box with one OK button, titled with the application title.
void ShowError(const QString& text, const QString& details = {});
// Plain modal box (no icon) with one OK button.
void ShowMessage(const QString& text, const QString& details = {});
// Modal box with the information icon and one OK button: a result, not a failure.
void ShowInformation(const QString& text, const QString& details = {});
// Modal box with the warning icon and one OK button: a result that needs the operator.
void ShowWarning(const QString& text, const QString& details = {});
