// The e-invoice proof: the verification code against answers computed with the openssl command
// line, the QR header field by field, the items split over the two codes, and the page's bytes
// as a printer gets them: its Code 39 and two QR codes that a reader finds side by side.
#include "PageBytes.h"
#include "Rtl/Strings.h"

#include <gtest/gtest.h>

namespace {

// The IV of the prescribed Base64 text, as `openssl enc -aes-128-cbc -K KEY -iv IV | base64`
// encrypted the invoice number and random code once, by hand.
struct TKnownAnswer {
    const char* Key;
    const char* Plain;
    const char* Code;
};
constexpr TKnownAnswer Answers[] = {
    {"0123456789ABCDEFFEDCBA9876543210", "AB123456781234", "qcu3Yc2L6zkUQPObtqv3vA=="},
    {"00112233445566778899AABBCCDDEEFF", "ZZ987654320042", "wWQN3+2M8WerxPA0WrHM0w=="},
};

TEInvoice Fixed() {
    TEInvoice invoice = SampleInvoice();
    invoice.RandomCode = QStringLiteral("1234");
    invoice.When = QDateTime(QDate(2026, 12, 8), QTime(15, 1, 10));
    return invoice;
}

std::array<unsigned char, 16> Key(const char* hex) {
    std::array<unsigned char, 16> key{};
    EXPECT_TRUE(ParseQrKey(QString::fromLatin1(hex), key)) << hex;
    return key;
}

} // namespace

TEST(EInvoice, VerificationCodeIsTheKnownAnswer) {
    for (const TKnownAnswer& a : Answers)
        EXPECT_EQ(VerificationCode(a.Plain, Key(a.Key)), a.Code) << a.Plain;
    // The test key is the first one.
    EXPECT_EQ(std::string(TestQrKey), Answers[0].Key);
    std::array<unsigned char, 16> key{};
    for (const char* bad : {"0123456789ABCDEFFEDCBA987654321", "0123456789ABCDEFFEDCBA987654321G",
                            "0123456789ABCDEFFEDCBA98765432100"})
        EXPECT_FALSE(ParseQrKey(QString::fromLatin1(bad), key)) << bad;
}

TEST(EInvoice, HeaderHoldsEachFieldInItsPlace) {
    TEInvoice invoice = Fixed();
    // 200 in all; without its 5 % tax 190.
    EXPECT_EQ(QrHeader(invoice), "AB12345678"
                                 "1151208"
                                 "1234"
                                 "000000be"
                                 "000000c8"
                                 "00000000"
                                 "24681357"
                                 "qcu3Yc2L6zkUQPObtqv3vA==");
    invoice.Letters = QStringLiteral("ZZ");
    invoice.Number = QStringLiteral("98765432");
    invoice.RandomCode = QStringLiteral("0042");
    invoice.BuyerId = QStringLiteral("12345675");
    invoice.SellerId = QStringLiteral("00000001");
    invoice.SalesAmount = 0xABCDEF;
    invoice.Total = 4294967295;
    invoice.When = QDateTime(QDate(2011, 1, 31), QTime(23, 59));
    invoice.Key = Key(Answers[1].Key);
    EXPECT_EQ(QrHeader(invoice), "ZZ98765432"
                                 "1000131"
                                 "0042"
                                 "00abcdef"
                                 "ffffffff"
                                 "12345675"
                                 "00000001"
                                 "wWQN3+2M8WerxPA0WrHM0w==");
    EXPECT_EQ(QrHeader(invoice).size(), 77u);
}

TEST(EInvoice, ItemsFillTheLeftCodeThenTheRight) {
    TEInvoice invoice = Fixed();
    const TEInvoiceQr two = QrContents(invoice);
    EXPECT_EQ(two.Left, QrHeader(invoice) + ":**********:2:2:1:測試商品A:1:100:測試商品B:2:50");
    EXPECT_EQ(two.Right, "**");
    invoice.Items.clear();
    for (int i = 1; i <= 6; ++i)
        invoice.Items.push_back({QStringLiteral("品項%1").arg(i), i, 10 * i});
    const TEInvoiceQr six = QrContents(invoice);
    EXPECT_LE(six.Left.size(), 134u);
    EXPECT_EQ(six.Left.substr(77, 18), ":**********:6:6:1:");
    // Every item once, in order, the right code carrying on where the left stopped.
    const std::string items = six.Left.substr(95) + ":" + six.Right.substr(2);
    EXPECT_EQ(items, "品項1:1:10:品項2:2:20:品項3:3:30:品項4:4:40:品項5:5:50:品項6:6:60");
    EXPECT_EQ(six.Right.substr(0, 2), "**");
    EXPECT_GT(six.Right.size(), 2u);
}

TEST(EInvoice, TheTermAndTheBarcodeFollowTheTwoMonthPeriod) {
    TEInvoice invoice = Fixed();
    const std::pair<QDate, const char*> terms[] = {
        {QDate(2026, 1, 1), "115年01-02月"},
        {QDate(2026, 2, 28), "115年01-02月"},
        {QDate(2026, 7, 31), "115年07-08月"},
        {QDate(2026, 12, 31), "115年11-12月"},
    };
    for (const auto& [date, text] : terms)
        EXPECT_EQ(PeriodText(date).toStdString(), text) << date.toString().toStdString();
    invoice.When.setDate(QDate(2026, 3, 1));
    EXPECT_EQ(BarcodeContent(invoice), "11504AB123456781234");
    invoice.When.setDate(QDate(2026, 12, 8));
    EXPECT_EQ(BarcodeContent(invoice), "11512AB123456781234");
    EXPECT_EQ(BarcodeContent(invoice).size(), 19u);
}

TEST(EInvoice, WhatCannotBePrintedIsNamed) {
    const std::pair<std::function<void(TEInvoice&)>, const char*> cases[] = {
        {[](TEInvoice& i) { i.SellerId = "2468135"; }, "the seller ID is 8 digits"},
        {[](TEInvoice& i) { i.BuyerId = "1234567X"; }, "the buyer ID is 8 digits, or none"},
        {[](TEInvoice& i) { i.Letters = "Ab"; },
         "the invoice number begins with 2 capital letters"},
        {[](TEInvoice& i) { i.Number = "1234567"; },
         "the invoice number has 8 digits after its letters"},
        {[](TEInvoice& i) { i.RandomCode = ""; }, "the random code is 4 digits"},
        {[](TEInvoice& i) { i.Items[0].Name = "a:b"; }, "an item name cannot hold ':'"},
        {[](TEInvoice& i) { i.Total = 4294967296; }, "an amount is 0 to 4294967295"},
    };
    EXPECT_EQ(EInvoiceProblem(Fixed()), "");
    for (const auto& [change, why] : cases) {
        TEInvoice invoice = Fixed();
        change(invoice);
        EXPECT_EQ(EInvoiceProblem(invoice), why);
    }
    // More items than two codes can hold.
    TPageOptions options;
    options.Invoice = Fixed();
    options.Invoice.Items.assign(200, {QStringLiteral("很長的品名很長的品名"), 1, 99999});
    EXPECT_EQ(PageProblem(tpEInvoice, options), "the items do not fit in the two QR codes");
}

TEST(EInvoice, ThePageCarriesItsBarcodeAndTwoQrCodesSideBySide) {
    for (const int width : {384, 576}) {
        SCOPED_TRACE(width);
        TPageOptions options;
        options.WidthDots = width;
        options.Invoice = Fixed();
        const std::vector<TCommand> page = DecodedPage(tpEInvoice, options);
        const std::vector<Cmd::Barcode> barcodes = All<Cmd::Barcode>(page);
        ASSERT_EQ(barcodes.size(), 1u);
        EXPECT_EQ(barcodes[0], (Cmd::Barcode{syCode39, "11512AB123456781234"}));
        // 1-dot modules: 21 characters of 16 modules fit 384 dots.
        EXPECT_EQ(All<Cmd::BarcodeWidth>(page), std::vector<Cmd::BarcodeWidth>{{1}});
        if (width == 576) {
            EXPECT_EQ(All<Cmd::LeftMargin>(page).front(), Cmd::LeftMargin{96});
        }

        const int margin = 32;
        const QImage picture = RasterPicture(page, margin);
        EXPECT_EQ(picture.width(), 384 + 2 * margin);
        const std::vector<TScanned> codes = ScanQrCodes(picture);
        ASSERT_EQ(codes.size(), 2u);
        const TEInvoiceQr meant = QrContents(options.Invoice);
        EXPECT_EQ(codes[0].Bytes, meant.Left);
        EXPECT_EQ(codes[0].Bytes.substr(53, 24), "qcu3Yc2L6zkUQPObtqv3vA==");
        EXPECT_EQ(codes[1].Bytes, meant.Right);
        EXPECT_EQ(codes[1].Bytes.substr(0, 2), "**");
        // The left and right halves of the 384 dots, top edges level, one size.
        EXPECT_GE(codes[0].Box.left(), margin);
        EXPECT_LT(codes[0].Box.right(), margin + 192);
        EXPECT_GE(codes[1].Box.left(), margin + 192);
        EXPECT_LT(codes[1].Box.right(), margin + 384);
        EXPECT_NEAR(codes[0].Box.top(), codes[1].Box.top(), 1);
        EXPECT_NEAR(codes[0].Box.width(), codes[1].Box.width(), 1);
        EXPECT_GE(codes[0].Box.width(), 41 * 3) << "version 6 at 3 dots a module at least";
    }
}

TEST(EInvoice, TheSampleSaysItIsATestAndNeverCarriesTheKey) {
    TPageOptions options;
    options.Invoice = Fixed();
    auto printed = [&options] {
        std::string all;
        for (const std::string& line : TextLines(DecodedPage(tpEInvoice, options)))
            all += line + "\n";
        return all;
    };
    const std::string withTestKey = printed();
    EXPECT_NE(withTestKey.find(ToAnsi(QStringLiteral("電子發票證明聯（測試）"))),
              std::string::npos);
    EXPECT_NE(withTestKey.find(ToAnsi(QStringLiteral("以測試金鑰產生"))), std::string::npos);
    options.Invoice.Key = Key(Answers[1].Key);
    options.Invoice.TestKey = false;
    const std::string withOwnKey = printed();
    EXPECT_NE(withOwnKey.find(ToAnsi(QStringLiteral("（測試）"))), std::string::npos);
    EXPECT_EQ(withOwnKey.find(ToAnsi(QStringLiteral("以測試金鑰產生"))), std::string::npos);
    // Neither the key's digits nor its bytes are on the paper.
    const std::string bytes = EncodePage(csEPSON, tpEInvoice, options).Bytes;
    const std::string raw(options.Invoice.Key.begin(), options.Invoice.Key.end());
    for (const std::string& key :
         {std::string(Answers[1].Key), QString(Answers[1].Key).toLower().toStdString(), raw})
        EXPECT_EQ(bytes.find(key), std::string::npos);
}
