#include "Rtl/Messages.h"

#include "Rtl/Application.h"

#include <cstdio>

namespace {

// Without a window layer the text goes to standard error.
void WriteToStderr(MessageKind, const QString& text) {
    std::fprintf(stderr, "%s: %s\n", AppTitle().toUtf8().constData(), text.toUtf8().constData());
}

MessagePresenter& Fallback() {
    static MessagePresenter presenter = WriteToStderr;
    return presenter;
}

MessagePresenter& Presenter() {
    static MessagePresenter presenter;
    return presenter;
}

void Present(MessageKind kind, const QString& text) {
    if (Presenter())
        Presenter()(kind, text);
    else
        Fallback()(kind, text);
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

void ShowError(const QString& text) {
    Present(MessageKind::Error, text);
}

void ShowMessage(const QString& text) {
    Present(MessageKind::Plain, text);
}

void ShowInformation(const QString& text) {
    Present(MessageKind::Information, text);
}
