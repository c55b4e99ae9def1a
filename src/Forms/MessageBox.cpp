#include "Forms/MessageBox.h"

#include "Rtl/Application.h"

#include <QApplication>
#include <QMessageBox>

void ShowMessageBox(MessageKind kind, const QString& text) {
    QMessageBox box(kind == MessageKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    AppTitle(), text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}
