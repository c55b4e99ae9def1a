// The window on "NET" against a printer that drops the connection: a command string the
// printer never took is a send failure, said in the window's own words.
#include "FormFixture.h"
#include "StatusPeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>

TEST_F(FormTest, ACommandThePrinterDroppedGivesTheNetSendMessage) {
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    listen(listener, 4);
    socklen_t len = sizeof a;
    getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
    form().Ports().Net().SetAddress(TNetAddress{"127.0.0.1", ntohs(a.sin_port)});
    Port(6);
    {
        PeerOptions closes(true);
        closes.closeAtOnce = true;
        ScriptedPrinter printer(
            listener, [](int) { return Reply{}; }, closes);
        StderrCapture capture(dir_.File("stderr"));
        form().Button2Click();
        EXPECT_EQ(rec_.Texts(), QStringList{QStringLiteral("NET 元件,傳送命令異常！")});
        const std::string said = capture.Stop();
        EXPECT_NE(said.find("by the printer when the printer had taken "), std::string::npos)
            << said;
    }
    // A printer that takes the line and closes in order: no box.
    {
        ScriptedPrinter printer(
            listener, [](int) { return Reply{}; }, true);
        rec_.Clear();
        form().Button2Click();
        EXPECT_TRUE(rec_.Texts().isEmpty()) << rec_.Texts().join('|').toStdString();
        EXPECT_EQ(printer.Connections(1), std::vector<std::string>{"\n"});
    }
    ::close(listener);
}
