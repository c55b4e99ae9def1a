#include "TestPages/EInvoice.h"

#include <QRandomGenerator>
#include <cmath>
#include <cstdio>

namespace {

// What one QR code of the proof holds at most: version 6 at level L, the size it is printed at.
constexpr std::size_t QrBytesMost = 134;

bool Digits(const QString& s, int count) {
    if (s.size() != count)
        return false;
    for (const QChar c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

std::string Utf8(const QString& s) {
    return s.toUtf8().toStdString();
}

std::string Hex8(long long value) {
    char out[16];
    std::snprintf(out, sizeof out, "%08llx", value);
    return out;
}

int RocYear(const QDate& date) {
    return date.year() - 1911;
}

std::string Padded(int value, int width) {
    std::string s = std::to_string(value);
    return std::string(s.size() < static_cast<std::size_t>(width) ? width - s.size() : 0, '0') + s;
}

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

std::string ItemField(const TEInvoiceItem& item) {
    return Utf8(item.Name) + ":" + std::to_string(item.Quantity) + ":" + std::to_string(item.Price);
}

std::string ItemProblem(const TEInvoiceItem& item) {
    if (item.Name.trimmed().isEmpty())
        return "an item needs a name";
    if (item.Name.contains(':'))
        return "an item name cannot hold ':'";
    if (item.Quantity < 1 || item.Quantity > 99999999)
        return "an item's quantity is 1 to 99999999";
    if (item.Price < 0 || item.Price > 99999999)
        return "an item's price is 0 to 99999999";
    return {};
}

} // namespace

TEInvoice SampleInvoice() {
    TEInvoice invoice;
    invoice.SellerName = QStringLiteral("Kavrilon股份有限公司");
    invoice.SellerId = QStringLiteral("24681357");
    invoice.Letters = QStringLiteral("AB");
    invoice.Number = QStringLiteral("12345678");
    invoice.Items = {{QStringLiteral("測試商品A"), 1, 100}, {QStringLiteral("測試商品B"), 2, 50}};
    ParseQrKey(QString::fromLatin1(TestQrKey), invoice.Key);
    invoice.TestKey = true;
    return invoice;
}

QString RandomCode() {
    return QString::fromStdString(
        Padded(static_cast<int>(QRandomGenerator::system()->bounded(10000)), 4));
}

bool ParseQrKey(const QString& hex, std::array<unsigned char, 16>& key) {
    if (hex.size() != 32)
        return false;
    std::array<unsigned char, 16> out{};
    for (int i = 0; i < 32; ++i) {
        const int digit = HexDigit(hex[i]);
        if (digit < 0)
            return false;
        out[static_cast<std::size_t>(i / 2)] |=
            static_cast<unsigned char>(i % 2 ? digit : digit << 4);
    }
    key = out;
    return true;
}

std::string EInvoiceProblem(const TEInvoice& invoice) {
    if (!Digits(invoice.SellerId, 8))
        return "the seller ID is 8 digits";
    if (!invoice.BuyerId.isEmpty() && !Digits(invoice.BuyerId, 8))
        return "the buyer ID is 8 digits, or none";
    if (invoice.Letters.size() != 2 || invoice.Letters[0] < 'A' || invoice.Letters[0] > 'Z' ||
        invoice.Letters[1] < 'A' || invoice.Letters[1] > 'Z')
        return "the invoice number begins with 2 capital letters";
    if (!Digits(invoice.Number, 8))
        return "the invoice number has 8 digits after its letters";
    if (!Digits(invoice.RandomCode, 4))
        return "the random code is 4 digits";
    if (invoice.Items.empty())
        return "the invoice needs an item";
    for (const TEInvoiceItem& item : invoice.Items)
        if (std::string why = ItemProblem(item); !why.empty())
            return why;
    if (invoice.SellerName.contains('\n') || invoice.SellerName.size() > 40)
        return "the seller's name is one line of at most 40 characters";
    // The codes carry the amounts as 8 hexadecimal digits.
    for (const long long amount : {TotalOf(invoice), SalesAmountOf(invoice)})
        if (amount < 0 || amount > 0xFFFFFFFFLL)
            return "an amount is 0 to 4294967295";
    if (!invoice.When.isValid())
        return "the invoice has no date";
    return {};
}

long long TotalOf(const TEInvoice& invoice) {
    if (invoice.Total >= 0)
        return invoice.Total;
    long long sum = 0;
    for (const TEInvoiceItem& item : invoice.Items)
        sum += item.Quantity * item.Price;
    return sum;
}

long long SalesAmountOf(const TEInvoice& invoice) {
    if (invoice.SalesAmount >= 0)
        return invoice.SalesAmount;
    return std::llround(static_cast<double>(TotalOf(invoice)) / 1.05);
}

QString InvoiceNumberText(const TEInvoice& invoice) {
    return invoice.Letters + '-' + invoice.Number;
}

QString PeriodText(const QDate& date) {
    const int even = (date.month() + 1) / 2 * 2;
    return QStringLiteral("%1年%2-%3月")
        .arg(RocYear(date), 3, 10, QChar('0'))
        .arg(even - 1, 2, 10, QChar('0'))
        .arg(even, 2, 10, QChar('0'));
}

std::string BarcodeContent(const TEInvoice& invoice) {
    const QDate date = invoice.When.date();
    const int even = (date.month() + 1) / 2 * 2;
    return Padded(RocYear(date), 3) + Padded(even, 2) + Utf8(invoice.Letters) +
           Utf8(invoice.Number) + Utf8(invoice.RandomCode);
}

std::string QrHeader(const TEInvoice& invoice) {
    const QDate date = invoice.When.date();
    const std::string number = Utf8(invoice.Letters) + Utf8(invoice.Number);
    const std::string random = Utf8(invoice.RandomCode);
    return number + Padded(RocYear(date), 3) + Padded(date.month(), 2) + Padded(date.day(), 2) +
           random + Hex8(SalesAmountOf(invoice)) + Hex8(TotalOf(invoice)) +
           (invoice.BuyerId.isEmpty() ? std::string("00000000") : Utf8(invoice.BuyerId)) +
           Utf8(invoice.SellerId) + VerificationCode(number + random, invoice.Key);
}

TEInvoiceQr QrContents(const TEInvoice& invoice) {
    const std::string count = std::to_string(invoice.Items.size());
    // Every item is carried, on the left while it fits, the rest on the right.
    TEInvoiceQr qr;
    qr.Left = QrHeader(invoice) + ":**********:" + count + ":" + count + ":1";
    qr.Right = "**";
    bool left = true;
    for (const TEInvoiceItem& item : invoice.Items) {
        const std::string field = ItemField(item);
        left = left && qr.Left.size() + 1 + field.size() <= QrBytesMost;
        if (left)
            qr.Left += ":" + field;
        else
            qr.Right += (qr.Right.size() > 2 ? ":" : "") + field;
    }
    return qr;
}
