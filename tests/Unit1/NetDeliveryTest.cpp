// The window on "NET" against a printer that drops the connection: a command string the
// printer never took is a send failure, said in the window's own words.
#include "FormFixture.h"
#include "Loopback.h"
#include "StatusPeer.h"

TEST_F(FormTest, ACommandThePrinterDroppedGivesTheNetSendMessage) {
    ListeningSocket listening;
    form().Ports().Net().SetAddress(TNetAddress{"127.0.0.1", listening.Port()});
    Port(6);
    PeerOptions closes(true);
    closes.closeAtOnce = true;
    ScriptedPrinter printer(
        listening.Fd(), [](int) { return Reply{}; }, closes);
    StderrCapture capture(dir_.File("stderr"));
    form().Button2Click();
    EXPECT_EQ(rec_.Texts(), QStringList{QStringLiteral("NET 元件,傳送命令異常！")});
    const std::string said = capture.Stop();
    EXPECT_NE(said.find("by the printer when the printer had taken "), std::string::npos) << said;
}
