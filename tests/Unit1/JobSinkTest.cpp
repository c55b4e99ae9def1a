// The print jobs into a sink: a job run into memory collects exactly what the port receives,
// string for string, and decodes to its commands; commands of new kinds go whole.
#include "FormFixture.h"

#include "Receipt/Decoder.h"
#include "Rtl/Strings.h"

#include <filesystem>

namespace {

std::vector<TCommand> Decode(const std::string& bytes) {
    std::vector<TCommand> commands;
    TDecoder decoder(csEPSON, [&](const TCommand& c, std::uint64_t, std::string_view) {
        commands.push_back(c);
    });
    decoder.Feed(bytes);
    decoder.Finish();
    return commands;
}

// The kinds of a job of text lines: T text, L line feed, F form feed.
std::string Kinds(const std::vector<TCommand>& commands) {
    std::string kinds;
    for (const TCommand& c : commands)
        kinds += std::holds_alternative<Cmd::Text>(c)       ? 'T'
                 : std::holds_alternative<Cmd::LineFeed>(c) ? 'L'
                 : std::holds_alternative<Cmd::FormFeed>(c) ? 'F'
                                                            : '?';
    return kinds;
}

QStringList Texts(const std::vector<TCommand>& commands) {
    QStringList texts;
    for (const TCommand& c : commands)
        if (const auto* text = std::get_if<Cmd::Text>(&c))
            texts << FromAnsi(text->Bytes);
    return texts;
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

} // namespace

TEST_F(FormTest, AJobIntoMemoryIsWhatThePortReceivesAndDecodesToItsCommands) {
    Lpt1AsFifo();
    Port(4);
    struct Job {
        const char* name;
        void (TForm1::*run)();
        std::size_t strings; // one per port cycle
        std::string kinds;
    };
    const Job jobs[] = {
        {"invoice", &TForm1::Button6Click, 26,
         Repeat("TL", 13) + Repeat("L", 9) + Repeat("TL", 3) + "F"},
        {"full page", &TForm1::Button5Click, 29, Repeat("TL", 28) + "F"},
    };
    for (const Job& job : jobs) {
        SCOPED_TRACE(job.name);
        (form().*job.run)();
        const std::string port = DrainFifo();
        TMemorySink memory;
        form().RunInto(memory, [&] { (form().*job.run)(); });
        EXPECT_EQ(DrainFifo(), "") << "the memory run reached the port";
        EXPECT_EQ(memory.Bytes(), port);
        EXPECT_EQ(memory.Strings().size(), job.strings);
        const std::vector<TCommand> commands = Decode(memory.Bytes());
        EXPECT_EQ(Kinds(commands), job.kinds);
        EXPECT_TRUE(rec_.Texts().isEmpty()) << rec_.Texts().join('|').toStdString();
    }
    TMemorySink invoice;
    form().RunInto(invoice, [&] { form().Button6Click(); });
    const QStringList texts = Texts(Decode(invoice.Bytes()));
    ASSERT_EQ(texts.size(), 16);
    EXPECT_EQ(texts[0], QStringLiteral("Kavrilon股份有限公司"));
    EXPECT_EQ(texts[3], QStringLiteral("日期:2026/12/08 09:05:07 #12345678"));
    EXPECT_EQ(texts[15], QStringLiteral("總  計:                  5,775元"));

    // In a mode that lacks the text line, the memory run says what the port run says and keeps
    // the same empty strings and feeds.
    Mode(2);
    rec_.Clear();
    form().Button6Click();
    const std::string port = DrainFifo();
    const QStringList portMessages = rec_.Texts();
    rec_.Clear();
    TMemorySink memory;
    form().RunInto(memory, [&] { form().Button6Click(); });
    EXPECT_EQ(rec_.Texts(), portMessages);
    EXPECT_EQ(portMessages.size(), 17);
    EXPECT_EQ(memory.Bytes(), port);
    EXPECT_EQ(memory.Strings().size(), 26u);
    EXPECT_EQ(std::count(memory.Strings().begin(), memory.Strings().end(), std::string()), 17);
    // The window's sink is the router again.
    form().Button2Click();
    EXPECT_EQ(DrainFifo(), B({0x1B, 0x1B, 0x4C, 0x52, 0x01}));
}

TEST_F(FormTest, CommandsOfNewKindsGoWholeWhileTheJobsLinesAreCut) {
    Port(4);
    form().Memo2->setPlainText(QString(300, 'x'));
    TMemorySink memory;
    form().RunInto(memory, [&] { form().Button9Click(); });
    EXPECT_EQ(memory.Strings(), std::vector<std::string>{std::string(255, 'x')});

    // A raster image of 48 x 20 bytes, its data full of bytes that look like commands.
    Cmd::RasterImage image;
    image.WidthBytes = 48;
    image.Height = 20;
    for (int i = 0; i < 48 * 20; ++i)
        image.Data.push_back(static_cast<char>(i % 2 ? 0x0A : 0x1B));
    const TEncoding sent = form().SendCommands({image, Cmd::LineFeed{}});
    ASSERT_TRUE(sent.Supported) << sent.Reason;
    const std::string paper = Lpt1();
    EXPECT_GT(paper.size(), 960u);
    EXPECT_EQ(paper, sent.Bytes);
    const std::vector<TCommand> commands = Decode(paper);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0], TCommand(image));

    // A mode that cannot write a command sends nothing, not even an open of the port.
    Mode(1);
    std::filesystem::remove(dir_.File("lpt1"));
    const TEncoding refused = form().SendCommands({Cmd::LineFeed{}, Cmd::QrStore{"VEMIX"}});
    EXPECT_FALSE(refused.Supported);
    EXPECT_FALSE(refused.Reason.empty());
    EXPECT_FALSE(std::filesystem::exists(dir_.File("lpt1")));
    EXPECT_TRUE(rec_.Texts().isEmpty());
}
