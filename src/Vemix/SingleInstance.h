#pragma once
// One running instance per user and desktop. The running instance listens on a local socket in
// the user's private folder, named by the application title and the display it shows on; a
// second start on the same display asks it to come forward and ends. A socket there that the
// user does not own, or that does not answer as this program does, is not trusted: the start
// goes on normally and says why on standard error.
#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;

class TSingleInstance : public QObject {
    Q_OBJECT
  public:
    // The socket's name comes from the title and the display of the running application.
    explicit TSingleInstance(const QString& title, QObject* parent = nullptr);

    // True when the instance of this display answered and was asked to show itself.
    bool AskRunningInstanceToShow();
    // Starts listening (removing a socket of the user's own that nobody answers on, which a
    // crashed instance left); onShow runs per request. False when there is no trusted place.
    bool Listen(std::function<void()> onShow);
    // The socket's full path (empty when no private folder can be trusted).
    QString ServerName() const { return FPath; }
    // What a running instance answers to a request to show itself.
    QByteArray Reply() const;

  private:
    void Distrust(const QString& why);

    QString FTitle;
    QString FPath;
    bool FTrusted = true;
    QLocalServer* FServer = nullptr;
    std::function<void()> FOnShow;
};

// The display a program shows on, as part of a file name: "x11:0" for the X display :0 (also
// written :0.0 or unix:0), "wayland-wayland-0" for a Wayland socket, else the platform's name.
QString DisplayKey(const QString& platform, const QString& x11Display,
                   const QString& waylandDisplay);

// The folder for the socket: RUNTIMEDIR when it is a directory of the user's own that nobody
// else may enter; otherwise TEMPDIR/vemix-<uid>, made with mode 0700 when missing and used only
// when it is such a directory. Empty, with the reason in WHY, when neither can be trusted.
QString PrivateFolder(const QString& runtimeDir, const QString& tempDir, QString* why);
