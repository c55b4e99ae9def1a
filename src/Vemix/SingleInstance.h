#pragma once
// One running instance per user: a second start asks the first to come forward and ends.
#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;

class TSingleInstance : public QObject {
    Q_OBJECT
  public:
    // The server name comes from the application title and the user id.
    explicit TSingleInstance(const QString& title, QObject* parent = nullptr);

    // True when another instance answered and was asked to show itself.
    bool AskRunningInstanceToShow();
    // Starts listening (removing a socket a crashed instance left); onShow runs per request.
    bool Listen(std::function<void()> onShow);
    QString ServerName() const { return FName; }

  private:
    QString FName;
    QLocalServer* FServer = nullptr;
    std::function<void()> FOnShow;
};
