#pragma once
// The window system's timer: Enabled, Interval, OnTimer. Switching on a running timer
// changes nothing; an interval of 0 or less never fires.
#include <QObject>
#include <QTimer>
#include <functional>

class TTimer : public QObject {
    Q_OBJECT
  public:
    explicit TTimer(QObject* owner = nullptr);

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    int Interval() const { return FInterval; }
    void SetInterval(int ms);
    void SetOnTimer(std::function<void()> handler) { FOnTimer = std::move(handler); }

  private:
    void UpdateTimer();
    void Fire();

    QTimer FTimer;
    bool FEnabled = true;
    int FInterval = 1000;
    std::function<void()> FOnTimer;
};
