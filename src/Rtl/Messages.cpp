#include "Rtl/Messages.h"

#include "Rtl/Application.h"

#include <QApplication>
#include <QMessageBox>

namespace {

void ShowBox(MessageKind kind, const QString& text) {
    QMessageBox box(kind == MessageKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    AppTitle(), text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

MessagePresenter& Presenter() {
    static MessagePresenter presenter;
    return presenter;
}

void Present(MessageKind kind, const QString& text) {
    if (Presenter())
        Presenter()(kind, text);
    else
        ShowBox(kind, text);
}

} // namespace

MessagePresenter SetMessagePresenter(MessagePresenter presenter) {
    MessagePresenter old = std::move(Presenter());
    Presenter() = std::move(presenter);
    return old;
}

void ShowError(const QString& text) {
    Present(MessageKind::Error, text);
}

void ShowMessage(const QString& text) {
    Present(MessageKind::Plain, text);
}
