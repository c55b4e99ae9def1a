#include "Vemix/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

TSingleInstance::TSingleInstance(const QString& title, QObject* parent)
    : QObject(parent), FName(title + "-" + QString::number(::getuid())) {}

bool TSingleInstance::AskRunningInstanceToShow() {
    QLocalSocket socket;
    socket.connectToServer(FName);
    if (!socket.waitForConnected(1000))
        return false;
    socket.write("show\n");
    socket.flush();
    socket.waitForBytesWritten(1000);
    // Wait for the answer so the request is known to have arrived.
    socket.waitForReadyRead(2000);
    socket.disconnectFromServer();
    return true;
}

bool TSingleInstance::Listen(std::function<void()> onShow) {
    FOnShow = std::move(onShow);
    FServer = new QLocalServer(this);
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!FServer->listen(FName)) {
        // Nobody answered, so the socket file is a crashed instance's leftover.
        QLocalServer::removeServer(FName);
        if (!FServer->listen(FName))
            return false;
    }
    connect(FServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = FServer->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->readAll().startsWith("show")) {
                    if (FOnShow)
                        FOnShow();
                    client->write("ok\n");
                    client->flush();
                }
            });
        }
    });
    return true;
}
