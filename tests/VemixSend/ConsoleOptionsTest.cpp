// vemix-send --status, --hex, --text, --file and --answer against the virtual printer on a
// pseudo-terminal and on NET: the status words and exit status of each printer state, the
// bytes exactly as given, and bad input that sends nothing.
#include "Loopback.h"
#include "TempDir.h"

#include <QFile>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

namespace {

struct TRun {
    int Exit = -1;
    std::string Out, Err;
};

TRun Send(const QStringList& args, const TempDir& dir, const QString& variable = {},
          const QString& value = {}) {
    QProcess process;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("XDG_CONFIG_HOME", QString::fromStdString(dir.File("config")));
    if (!variable.isEmpty())
        e.insert(variable, value);
    process.setProcessEnvironment(e);
    process.start(VEMIX_SEND_BIN, args);
    EXPECT_TRUE(process.waitForFinished(20000));
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

// The virtual printer in a state, on a pseudo-terminal linked in dir or on a loopback port;
// Variable and Value map the sender's port to it.
class VirtualPrinter {
  public:
    VirtualPrinter(bool net, QStringList state, const TempDir& dir) {
        const QString link = QString::fromStdString(dir.File("com1"));
        QFile::remove(link);
        state << (net ? QStringList{"--listen", "0"} : QStringList{"--link", link});
        process_.start(VEMIX_PRINTER_BIN, state);
        if (net) {
            process_.waitForReadyRead(10000);
            Variable = "VEMIX_NET";
            Value = QString::fromUtf8(process_.readLine()).trimmed();
        } else {
            for (int i = 0; i < 200 && !QFile::exists(link); ++i)
                QThread::msleep(20);
            Variable = "VEMIX_COM1";
            Value = link;
        }
    }
    ~VirtualPrinter() {
        process_.terminate();
        process_.waitForFinished(5000);
    }
    // What it printed and marked, once it ended.
    std::string Paper() {
        process_.terminate();
        process_.waitForFinished(5000);
        return process_.readAllStandardOutput().toStdString();
    }
    QString Variable, Value;

  private:
    QProcess process_;
};

} // namespace

TEST(VemixSendStatus, EachStateGivesItsWordsAndExitStatusOnAPseudoTerminalAndOnNet) {
    TempDir dir;
    const struct {
        QStringList state;
        const char* words;
        int exit;
    } cases[] = {
        {{}, "online paper-ok cover-closed drawer-closed\n", 0},
        {{"--paper", "near-end"}, "online paper-near-end cover-closed drawer-closed\n", 0},
        {{"--drawer", "open"}, "online paper-ok cover-closed drawer-open\n", 0},
        {{"--paper", "out"}, "offline paper-out cover-closed drawer-closed\n", 1},
        {{"--cover", "open"}, "offline paper-ok cover-open drawer-closed error\n", 1},
        {{"--offline"}, "offline paper-ok cover-closed drawer-closed\n", 1},
        {{"--silent"}, "", 3},
    };
    for (const bool net : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE((net ? "NET " : "COM1 ") + c.state.join(' ').toStdString());
            VirtualPrinter printer(net, c.state, dir);
            const TRun run = Send({"--port", net ? "NET" : "COM1", "--status"}, dir,
                                  printer.Variable, printer.Value);
            EXPECT_EQ(run.Exit, c.exit) << run.Err;
            EXPECT_EQ(run.Out, c.words);
            if (c.exit == 3) {
                EXPECT_NE(run.Err.find("the printer did not answer"), std::string::npos) << run.Err;
            }
        }
    }
    // A port that does not open; a set and a port that cannot be asked, with nothing sent.
    RefusingPort refusing;
    TRun run = Send({"--port", "NET", "--status"}, dir, "VEMIX_NET",
                    QStringLiteral("127.0.0.1:%1").arg(refusing.Port()));
    EXPECT_EQ(run.Exit, 4) << run.Err;
    VirtualPrinter printer(false, {}, dir);
    run = Send({"--status", "--mode", "TP-3688"}, dir, printer.Variable, printer.Value);
    EXPECT_EQ(run.Exit, 2);
    EXPECT_NE(run.Err.find("TP-3688 has no status requests"), std::string::npos) << run.Err;
    run = Send({"--status", "--port", "LPT1"}, dir, "VEMIX_LPT1",
               QString::fromStdString(dir.File("lpt1")));
    EXPECT_EQ(run.Exit, 2);
    EXPECT_NE(run.Err.find("LPT1 cannot answer"), std::string::npos) << run.Err;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.File("lpt1"))));
    EXPECT_EQ(printer.Paper().find("[status request"), std::string::npos);
}

TEST(VemixSendBytes, TheBytesGoExactlyAndBadInputSendsNothing) {
    TempDir dir;
    LoopbackListener net;
    const QString address = QStringLiteral("127.0.0.1:%1").arg(net.Port());
    QFile file(QString::fromStdString(dir.File("raw.bin")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\x1b@\0\xff\n", 5));
    file.close();
    for (const QStringList& args :
         {QStringList{"--hex", QStringLiteral("ESC @ \"總計\" LF 1d5601 \\x00")},
          QStringList{"--text", QStringLiteral("總計 100")},
          QStringList{"--file", file.fileName()}}) {
        const TRun run = Send(QStringList{"--port", "NET"} + args, dir, "VEMIX_NET", address);
        EXPECT_EQ(run.Exit, 0) << run.Err;
    }
    EXPECT_EQ(net.Connections(3), (std::vector<std::string>{
                                      std::string("\x1b@\xc1\x60\xad\x70\n\x1dV\x01\0", 11),
                                      "\xc1\x60\xad\x70 100\n", std::string("\x1b@\0\xff\n", 5)}));

    LoopbackListener untouched;
    const QString none = QStringLiteral("127.0.0.1:%1").arg(untouched.Port());
    const std::pair<QStringList, const char*> bad[] = {
        {{"--hex", "41 zz"}, "--hex: column 4: zz is not hex"},
        {{"--hex", "  "}, "--hex: nothing to send"},
        {{"--text", QStringLiteral("☃")}, "is not in the printer's code page"},
        {{"--file", QString::fromStdString(dir.File("missing"))}, "cannot read"},
        {{"--hex", "1B", "--status"}, "give one of --page, --hex"},
        {{"--hex", "1B", "--speed", "4800"}, "--speed takes 9600|19200"},
        {{"--hex", "1B", "--answer", "0"}, "--answer takes 1 to"},
    };
    for (const auto& [args, why] : bad) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const TRun run = Send(QStringList{"--port", "NET"} + args, dir, "VEMIX_NET", none);
        EXPECT_EQ(run.Exit, 2);
        EXPECT_NE(run.Err.find(why), std::string::npos) << run.Err;
        EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
    }
    EXPECT_TRUE(untouched.Connections(1, 300).empty());
}

TEST(VemixSendBytes, AnswerPrintsWhatThePrinterSendsBack) {
    TempDir dir;
    for (const bool net : {false, true}) {
        VirtualPrinter printer(net, {"--paper", "out"}, dir);
        const TRun run =
            Send({"--port", net ? "NET" : "COM1", "--hex", "DLE EOT 4 GS I 1", "--answer", "700"},
                 dir, printer.Variable, printer.Value);
        EXPECT_EQ(run.Exit, 0) << run.Err;
        // One line per burst, each with its time; both answers in order.
        std::string bytes;
        for (const QString& line :
             QString::fromStdString(run.Out).split('\n', Qt::SkipEmptyParts)) {
            ASSERT_TRUE(line.startsWith('+') && line.contains(" ms ")) << run.Out;
            bytes += line.section(QStringLiteral(" ms "), 1).toStdString() + " ";
        }
        EXPECT_EQ(bytes, "7E 56 ") << run.Out;
    }
    const TRun lpt = Send({"--port", "LPT1", "--hex", "1B 40", "--answer", "100"}, dir,
                          "VEMIX_LPT1", QString::fromStdString(dir.File("lpt1")));
    EXPECT_EQ(lpt.Exit, 2);
    EXPECT_NE(lpt.Err.find("LPT1 sends nothing back"), std::string::npos) << lpt.Err;
}
