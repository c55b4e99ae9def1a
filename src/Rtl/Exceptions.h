#pragma once
// The exception classes the components raise. Each carries the system's exact message as UTF-8.
#include <QString>
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
  public:
    explicit Exception(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromUtf8(what()); }
};

// "I/O error %d": raised by the text-file close of a device that never opened (code 103).
class EInOutError : public Exception {
  public:
    explicit EInOutError(int code)
        : Exception(QStringLiteral("I/O error %1").arg(code)), ErrorCode(code) {}
    int ErrorCode;
};

class EConvertError : public Exception {
  public:
    using Exception::Exception;
};

class EInvalidOperation : public Exception {
  public:
    using Exception::Exception;
};

class EInvalidLine : public Exception {
  public:
    EInvalidLine() : Exception(QStringLiteral("Invalid line!")) {}
};

class EInvalidForeBmp : public Exception {
  public:
    EInvalidForeBmp() : Exception(QStringLiteral("Invalid foreground bitmap!")) {}
};
