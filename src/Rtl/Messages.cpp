#include "Rtl/Messages.h"

#include "Rtl/Application.h"

#include <cstdio>

namespace {

// Without a window layer the text goes to standard error.
void WriteToStderr(const TMessage& message) {
    std::fprintf(stderr, "%s: %s\n", AppTitle().toUtf8().constData(),
                 message.Text.toUtf8().constData());
    if (!message.Details.isEmpty())
        std::fprintf(stderr, "%s: %s\n", AppTitle().toUtf8().constData(),
                     message.Details.toUtf8().constData());
}

MessagePresenter& Fallback() {
    static MessagePresenter presenter = WriteToStderr;
    return presenter;
}

MessagePresenter& Presenter() {
    static MessagePresenter presenter;
    return presenter;
}

void Present(MessageKind kind, const QString& text, const QString& details) {
    const TMessage message{kind, text, details};
    if (Presenter())
        Presenter()(message);
    else
        Fallback()(message);
}

} // namespace

MessagePresenter SetMessagePresenter(MessagePresenter presenter) {
    MessagePresenter old = std::move(Presenter());
    Presenter() = std::move(presenter);
    return old;
}

void SetDefaultMessagePresenter(MessagePresenter presenter) {
    Fallback() = presenter ? std::move(presenter) : MessagePresenter(WriteToStderr);
}

void ShowError(const QString& text, const QString& details) {
    Present(MessageKind::Error, text, details);
}

void ShowMessage(const QString& text, const QString& details) {
    Present(MessageKind::Plain, text, details);
}

void ShowInformation(const QString& text, const QString& details) {
    Present(MessageKind::Information, text, details);
}

void ShowWarning(const QString& text, const QString& details) {
    Present(MessageKind::Warning, text, details);
}
