// The program's picture of the paper: exactly the paper's width, as long as the roll, bounded
// for any input (numbered files past 200000 dots), and a stop while drawing ends it at once.
#include "PrinterProcess.h"
#include "TempDir.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <random>

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())),
              static_cast<qint64>(bytes.size()));
}

// The printer reading a file, its lines thrown away (there are many).
struct TQuietPrinter {
    QProcess process;
    explicit TQuietPrinter(const QStringList& args) {
        process.setProgram(VEMIX_PRINTER_BIN);
        process.setArguments(args);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start();
    }
    ~TQuietPrinter() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(TimeoutMs);
        }
    }
    int Wait(int ms = 60000) {
        if (!process.waitForFinished(ms))
            return -1;
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

std::string Graphics(int width, int height, const std::string& rows) {
    const std::size_t body = 10 + rows.size();
    std::string g = "\x1d\x38L";
    for (int shift : {0, 8, 16, 24})
        g.push_back(static_cast<char>(body >> shift & 0xFF));
    g += std::string("0p0\x01\x01\x31", 6);
    for (int v : {width, height}) {
        g.push_back(static_cast<char>(v & 0xFF));
        g.push_back(static_cast<char>(v >> 8));
    }
    return g + rows + std::string("\x1d(L\x02\x00\x30\x32", 8);
}

} // namespace

TEST(VirtualPrinterPicture, AnyInputGivesAPictureOfThePapersWidthSoon) {
    TempDir dir;
    std::mt19937 rng(11);
    std::string noise;
    for (int i = 0; i < 10000; ++i)
        noise.push_back(static_cast<char>(rng() % 256));
    // A QR code's picture of 2.8 KB sent as GS 8 L graphics: 232 x 96 dots of stripes.
    const std::string stripes(29 * 96, '\xf0');
    WriteFile(dir.File("in.bin"), noise + std::string("\x1b@", 2) + Graphics(232, 96, stripes));
    const std::string png = dir.File("roll.png");
    TQuietPrinter printer({"--input", QString::fromStdString(dir.File("in.bin")), "--png",
                           QString::fromStdString(png)});
    EXPECT_EQ(printer.Wait(TimeoutMs), 0);
    const QImage roll(QString::fromStdString(png));
    ASSERT_FALSE(roll.isNull());
    EXPECT_EQ(roll.width(), 384);
    EXPECT_LE(roll.height(), 200000);
    // The graphics end the roll: 96 rows of stripes, 232 dots wide.
    int dark = 0;
    for (int y = roll.height() - 96; y < roll.height(); ++y)
        for (int x = 0; x < 384; ++x)
            dark += qGray(roll.pixel(x, y)) < 128;
    EXPECT_EQ(dark, 96 * 232 / 2);
}

TEST(VirtualPrinterPicture, ALongRollGoesOnInNumberedFiles) {
    TempDir dir;
    // A megabyte of text without a line feed wraps at 32 columns: 32768 lines of 30 dots.
    WriteFile(dir.File("in.bin"), std::string(1 << 20, 'x') + "\n");
    const std::string png = dir.File("roll.png");
    TQuietPrinter printer({"--input", QString::fromStdString(dir.File("in.bin")), "--png",
                           QString::fromStdString(png)});
    ASSERT_EQ(printer.Wait(), 0);
    const QString err = QString::fromUtf8(printer.process.readAllStandardError());
    // A picture 200000 dots long is more than Qt reads by default.
    QImageReader::setAllocationLimit(0);
    int total = 0;
    for (const std::string name :
         {"roll.png", "roll-2.png", "roll-3.png", "roll-4.png", "roll-5.png"}) {
        SCOPED_TRACE(name);
        const QImage sheet(QString::fromStdString(dir.File(name)));
        ASSERT_FALSE(sheet.isNull());
        EXPECT_EQ(sheet.width(), 384);
        EXPECT_LE(sheet.height(), 200000);
        EXPECT_EQ(sheet.height() % 30, 0) << "no line is cut";
        total += sheet.height();
        if (name != "roll.png") {
            EXPECT_TRUE(err.contains(QString::fromStdString("goes on in " + dir.File(name))));
        }
    }
    EXPECT_EQ(total, 32768 * 30);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.File("roll-6.png"))));
}

TEST(VirtualPrinterPicture, AStopWhileDrawingEndsAtOnce) {
    TempDir dir;
    // Characters at 8 x 8 size: 150000 lines of 192 dots, 145 pictures that take seconds.
    WriteFile(dir.File("in.bin"), std::string("\x1d!\x77", 3) + std::string(600000, 'W'));
    const QString first = QString::fromStdString(dir.File("roll.png"));
    TQuietPrinter printer({"--input", QString::fromStdString(dir.File("in.bin")), "--png", first});
    QElapsedTimer timer;
    timer.start();
    while (!QFile::exists(first) && timer.elapsed() < TimeoutMs)
        printer.process.waitForFinished(20);
    ASSERT_TRUE(QFile::exists(first));
    // The next pictures are being drawn now. A stop while the bytes are read ends the reading
    // and the roll so far is drawn; one while it is drawn ends that too. A slow build may take
    // the first stop while reading and draw on: the operator's second stop then ends it.
    printer.process.terminate();
    timer.restart();
    printer.process.waitForFinished(1000);
    bool again = false;
    while (printer.process.state() != QProcess::NotRunning && timer.elapsed() < TimeoutMs) {
        again = true;
        printer.process.terminate();
        printer.process.waitForFinished(100);
    }
    EXPECT_LT(timer.elapsed(), 3000);
    // Stopped while drawing (1, and said so), or between two pictures (0, the last one drawn);
    // a second stop after the printer let go of the signals ends it as a signal does.
    const int status =
        printer.process.exitStatus() == QProcess::NormalExit ? printer.process.exitCode() : -1;
    const QString err = QString::fromUtf8(printer.process.readAllStandardError());
    EXPECT_TRUE((status == 1 && err.contains("stopped while drawing")) || status == 0 ||
                (again && printer.process.exitStatus() == QProcess::CrashExit))
        << status;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.File("roll-100.png"))));
}

TEST(VirtualPrinterPicture, EightyMillimetresAndChineseModeOffAtPowerOn) {
    TempDir dir;
    WriteFile(dir.File("in.bin"), "\xa4\xa4\xa4\xe5\n" + std::string(49, 'x') + "\n");
    const std::string png = dir.File("roll.png");
    Printer printer({"--input", QString::fromStdString(dir.File("in.bin")), "--width", "80",
                     "--chinese", "off", "--png", QString::fromStdString(png)});
    ASSERT_TRUE(printer.Process().waitForFinished(TimeoutMs));
    EXPECT_EQ(printer.Process().exitCode(), 0);
    while (!printer.Line().empty()) {
    }
    // 48 columns; the Big5 bytes are four characters of PC437.
    EXPECT_EQ(printer.Seen(),
              (std::vector<std::string>{dir.File("in.bin"), "|ñññσ" + std::string(44, ' ') + "|",
                                        "|" + std::string(48, 'x') + "|",
                                        "|x" + std::string(47, ' ') + "|", "[end]"}));
    const QImage roll(QString::fromStdString(png));
    EXPECT_EQ(roll.width(), 576);
    EXPECT_EQ(roll.height(), 90);
}
