#include "Vemix/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray Request = "show\n";

// A directory (not a link to one) of this user that no one else may enter.
QString PrivateDirProblem(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return path + ": " + QString::fromLocal8Bit(std::strerror(errno));
    if (!S_ISDIR(st.st_mode))
        return path + " is not a directory";
    if (st.st_uid != ::getuid())
        return QStringLiteral("%1 belongs to user %2, not to %3")
            .arg(path)
            .arg(st.st_uid)
            .arg(::getuid());
    if (st.st_mode & 077)
        return QStringLiteral("%1 is open to others (mode %2)")
            .arg(path)
            .arg(st.st_mode & 0777, 3, 8, QChar(u'0'));
    return {};
}

QString FileNamePart(QString s) {
    return s.replace(u'/', u'_');
}

void Say(const QString& text) {
    std::fprintf(stderr, "vemix: %s\n", text.toLocal8Bit().constData());
}

} // namespace

QString DisplayKey(const QString& platform, const QString& x11Display,
                   const QString& waylandDisplay) {
    if (platform == QStringLiteral("xcb")) {
        QString display = x11Display;
        if (display.startsWith(QStringLiteral("unix:")))
            display.remove(0, 4); // the same local server as ":0"
        const int colon = display.lastIndexOf(u':');
        const int dot = display.indexOf(u'.', colon);
        if (colon >= 0 && dot > colon)
            display.truncate(dot); // every screen of a display is one desktop
        return FileNamePart(QStringLiteral("x11") + display);
    }
    if (platform.startsWith(QStringLiteral("wayland")))
        return FileNamePart(QStringLiteral("wayland-") + (waylandDisplay.isEmpty()
                                                              ? QStringLiteral("wayland-0")
                                                              : waylandDisplay));
    return FileNamePart(platform);
}

QString PrivateFolder(const QString& runtimeDir, const QString& tempDir, QString* why) {
    QString runtimeProblem = QStringLiteral("XDG_RUNTIME_DIR is not set");
    if (!runtimeDir.isEmpty()) {
        runtimeProblem = QDir::isAbsolutePath(runtimeDir)
                             ? PrivateDirProblem(runtimeDir)
                             : QStringLiteral("XDG_RUNTIME_DIR is not an absolute path");
        if (runtimeProblem.isEmpty())
            return runtimeDir;
    }
    const QString own = tempDir + QStringLiteral("/vemix-") + QString::number(::getuid());
    if (::mkdir(QFile::encodeName(own).constData(), 0700) != 0 && errno != EEXIST) {
        *why = runtimeProblem + "; " + own + ": " + QString::fromLocal8Bit(std::strerror(errno));
        return {};
    }
    const QString ownProblem = PrivateDirProblem(own);
    if (!ownProblem.isEmpty()) {
        *why = runtimeProblem + "; " + ownProblem;
        return {};
    }
    return own;
}

TSingleInstance::TSingleInstance(const QString& title, QObject* parent)
    : QObject(parent), FTitle(title) {
    QString why;
    const QString folder =
        PrivateFolder(qEnvironmentVariable("XDG_RUNTIME_DIR"), QDir::tempPath(), &why);
    if (folder.isEmpty()) {
        Distrust(QStringLiteral("no private folder for the instance socket (%1)").arg(why));
        return;
    }
    FPath = folder + u'/' + title + u'-' +
            DisplayKey(QGuiApplication::platformName(), qEnvironmentVariable("DISPLAY"),
                       qEnvironmentVariable("WAYLAND_DISPLAY"));
}

QByteArray TSingleInstance::Reply() const {
    return FTitle.toUtf8() + " shown\n";
}

void TSingleInstance::Distrust(const QString& why) {
    FTrusted = false;
    Say(why + QStringLiteral("; starting without the single-instance check"));
}

bool TSingleInstance::AskRunningInstanceToShow() {
    if (!FTrusted)
        return false;
    struct stat st {};
    if (::lstat(QFile::encodeName(FPath).constData(), &st) != 0)
        return false; // nobody runs here
    if (!S_ISSOCK(st.st_mode)) {
        Distrust(QStringLiteral("%1 is not a socket").arg(FPath));
        return false;
    }
    if (st.st_uid != ::getuid()) {
        Distrust(QStringLiteral("the instance socket %1 belongs to user %2, not to %3")
                     .arg(FPath)
                     .arg(st.st_uid)
                     .arg(::getuid()));
        return false;
    }
    QLocalSocket socket;
    socket.connectToServer(FPath);
    if (!socket.waitForConnected(1000))
        return false; // a crashed instance's leftover: Listen takes its place
    socket.write(Request);
    socket.flush();
    // The answer shows that the request arrived, and that this program got it.
    QByteArray answer;
    QElapsedTimer waited;
    waited.start();
    while (!answer.contains('\n') && answer.size() < 256 && waited.elapsed() < 3000 &&
           socket.state() == QLocalSocket::ConnectedState) {
        socket.waitForReadyRead(static_cast<int>(3000 - waited.elapsed()));
        answer += socket.readAll();
    }
    answer += socket.readAll();
    socket.abort();
    if (answer == Reply())
        return true;
    Distrust(answer.isEmpty() ? QStringLiteral("the instance socket %1 did not answer").arg(FPath)
                              : QStringLiteral("the instance socket %1 answered \"%2\", not \"%3\"")
                                    .arg(FPath, QString::fromUtf8(answer.left(64)).trimmed(),
                                         QString::fromUtf8(Reply()).trimmed()));
    return false;
}

bool TSingleInstance::Listen(std::function<void()> onShow) {
    if (!FTrusted)
        return false; // a socket that is not ours stays where it is
    FOnShow = std::move(onShow);
    FServer = new QLocalServer(this);
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!FServer->listen(FPath)) {
        // Nobody answered, so the socket file is a crashed instance's leftover.
        QLocalServer::removeServer(FPath);
        if (!FServer->listen(FPath)) {
            Say(QStringLiteral("cannot listen on %1: %2").arg(FPath, FServer->errorString()));
            return false;
        }
    }
    connect(FServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = FServer->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->readAll().startsWith("show")) {
                    if (FOnShow)
                        FOnShow();
                    client->write(Reply());
                    client->flush();
                }
            });
        }
    });
    return true;
}
