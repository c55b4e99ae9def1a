// vemix-send: the window's bytes on the window's port mapping; bad input exits 2 with one line
// and sends nothing; a port that fails exits 4 with its reason.
#include "Send.h"
#include "Loopback.h"
#include "PagesDialog/PageOptionsPanel.h"
#include "PagesDialog/TestPagesDialog.h"
#include "TempDir.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <fstream>
#include <gtest/gtest.h>

namespace {

struct TRun {
    int Exit = -1;
    std::string Out, Err;
};

// The real program, in the environment given (a configuration folder of its own).
TRun Send(const QStringList& args, const TempDir& dir,
          const std::vector<std::pair<QString, QString>>& env = {}) {
    QProcess process;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("XDG_CONFIG_HOME", QString::fromStdString(dir.File("config")));
    for (const auto& [name, value] : env)
        e.insert(name, value);
    process.setProcessEnvironment(e);
    process.start(VEMIX_SEND_BIN, args);
    EXPECT_TRUE(process.waitForFinished(20000));
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

QString Path(const TempDir& dir, const char* name) {
    return QString::fromStdString(dir.File(name));
}

TPageOptions Width(int dots) {
    TPageOptions options;
    options.WidthDots = dots;
    return options;
}

} // namespace

TEST(VemixSend, BadInputExitsTwoWithOneLineAndSendsNothing) {
    TempDir dir;
    const std::vector<std::pair<QStringList, const char*>> cases = {
        {{}, "nothing to send: give --page NAME"},
        {{"--page"}, "--page needs a value"},
        {{"--page", "menu"}, "--page takes ruler, styles,"},
        {{"--page", "ruler", "--port", "COM9"}, "--port takes COM1..COM4, LPT1, LPT2 or NET"},
        {{"--page", "ruler", "--speed", "4800"}, "--speed takes 9600|19200, not '4800'"},
        {{"--page", "ruler", "--mode", "START"}, "cannot be printed in START: START has no"},
        {{"--page", "image", "--image", Path(dir, "missing.png")}, "cannot read the picture"},
        {{"--page", "einvoice", "--einvoice-key", "0123"}, "32 hexadecimal digits"},
        {{"--page", "einvoice", "--einvoice-item", "tea:1"}, "NAME:QUANTITY:PRICE, not 'tea:1'"},
        {{"--page", "einvoice", "--einvoice-number", "A1-12345678"}, "2 capital letters"},
    };
    for (const auto& [args, why] : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const TRun run =
            Send(QStringList{"--port", "LPT1"} + args, dir, {{"VEMIX_LPT1", Path(dir, "lpt1")}});
        EXPECT_EQ(run.Exit, 2);
        EXPECT_EQ(run.Err.rfind("vemix-send: ", 0), 0u) << run.Err;
        EXPECT_NE(run.Err.find(why), std::string::npos) << run.Err;
        EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
        EXPECT_FALSE(QFile::exists(Path(dir, "lpt1"))) << "something was sent";
    }
}

TEST(VemixSend, APageGoesOutWholeOnTheMappedPortOrFailsWithThePortsReason) {
    TempDir dir;
    // NET as the variable says: one connection with the whole page.
    LoopbackListener printer;
    TRun run = Send({"--port", "NET", "--page", "ruler", "--width", "80"}, dir,
                    {{"VEMIX_NET", QStringLiteral("127.0.0.1:%1").arg(printer.Port())}});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(printer.Connections(1),
              std::vector<std::string>{EncodePage(csEPSON, tpRuler, Width(576)).Bytes});
    // LPT1 as the settings file maps it, whatever the letter case of the name.
    QDir().mkpath(Path(dir, "config/vemix"));
    std::ofstream(dir.File("config/vemix/vemix-test.ini"))
        << "[Ports]\nLPT1=" << dir.File("paper.bin") << "\n";
    run = Send({"--port", "lpt1", "--page", "barcodes", "--module-width", "3"}, dir);
    EXPECT_EQ(run.Exit, 0) << run.Err;
    TPageOptions three = Width(384);
    three.ModuleWidth = 3;
    EXPECT_EQ(ReadFileBytes(dir.File("paper.bin")), EncodePage(csEPSON, tpBarcodes, three).Bytes);
    // A device that is not there: the port's reason, status 4.
    run = Send({"--page", "styles"}, dir, {{"VEMIX_COM1", Path(dir, "ttyUSB7")}});
    EXPECT_EQ(run.Exit, 4);
    EXPECT_NE(run.Err.find("COM1 (" + dir.File("ttyUSB7") + "): No such file or directory"),
              std::string::npos)
        << run.Err;
    run = Send({"--help"}, dir);
    EXPECT_EQ(run.Exit, 0);
    EXPECT_NE(run.Out.find("usage: vemix-send"), std::string::npos);
}

TEST(VemixSend, TheBytesAreTheWindowsForTheSameOptions) {
    TempDir dir;
    const QDateTime now(QDate(2026, 12, 8), QTime(15, 1, 10));
    const char* const args[] = {"vemix-send",
                                "--page",
                                "einvoice",
                                "--width",
                                "80",
                                "--einvoice-random",
                                "0042",
                                "--einvoice-buyer-id",
                                "12345675",
                                "--einvoice-item",
                                "咖啡:2:55",
                                "--einvoice-key",
                                "00112233445566778899AABBCCDDEEFF",
                                "--output",
                                nullptr};
    const std::string output = dir.File("page.bin");
    std::vector<const char*> argv(std::begin(args), std::end(args) - 1);
    argv.push_back(output.c_str());
    std::string error;
    const std::optional<TSendRequest> request =
        ParseSendOptions(static_cast<int>(argv.size()), argv.data(), error);
    ASSERT_TRUE(request) << error;
    ASSERT_EQ(RunSend(*request, now, stderr), SendOk);

    // The same in the dialog, by its fields.
    std::string sent;
    TTestPagesDialog dialog(
        csEPSON, "t", [&sent](const std::string& bytes) { sent = bytes; }, [now] { return now; });
    dialog.Pages()->setCurrentRow(tpEInvoice);
    dialog.PaperWidth()->setCurrentIndex(1);
    TPageOptionsPanel& panel = *dialog.OptionsPanel();
    panel.Field("RandomCode")->setText("0042");
    panel.Field("BuyerId")->setText("12345675");
    panel.Field("Item1Name")->setText("咖啡");
    panel.Field("Item1Quantity")->setText("2");
    panel.Field("Item1Price")->setText("55");
    panel.Field("Item2Name")->clear();
    panel.Field("Key")->setText("00112233445566778899AABBCCDDEEFF");
    dialog.Print();
    EXPECT_FALSE(sent.empty());
    EXPECT_EQ(ReadFileBytes(output), sent);
}
