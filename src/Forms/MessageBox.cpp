#include "Forms/MessageBox.h"

#include "Rtl/Application.h"

#include <QApplication>
#include <QMessageBox>

void ShowMessageBox(MessageKind kind, const QString& text) {
    const QMessageBox::Icon icon = kind == MessageKind::Error         ? QMessageBox::Critical
                                   : kind == MessageKind::Information ? QMessageBox::Information
                                                                      : QMessageBox::NoIcon;
    QMessageBox box(icon, AppTitle(), text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}
