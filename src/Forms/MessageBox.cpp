#include "Forms/MessageBox.h"

#include "Rtl/Application.h"

#include <QApplication>
#include <QMessageBox>

namespace {
QMessageBox::Icon IconOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Plain:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

void ShowMessageBox(const TMessage& message) {
    QMessageBox box(IconOf(message.Kind), AppTitle(), message.Text, QMessageBox::Ok,
                    QApplication::activeWindow());
    if (!message.Details.isEmpty())
        box.setDetailedText(message.Details);
    box.exec();
}
