#include "Rtl/Application.h"

#include "Rtl/Exceptions.h"
#include "Rtl/Messages.h"

#include <QCoreApplication>
#include <exception>

namespace {
QString& Title() {
    static QString title;
    return title;
}
} // namespace

QString AppTitle() {
    if (Title().isEmpty())
        return QCoreApplication::applicationName();
    return Title();
}

void SetAppTitle(const QString& title) {
    Title() = title;
    QCoreApplication::setApplicationName(title);
}

void Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowError(QStringLiteral("Unknown error"));
    }
}
