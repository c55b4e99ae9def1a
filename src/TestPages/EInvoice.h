#pragma once
// The electronic invoice proof (電子發票證明聯) as a test sample: its fields, what they make
// of the barcode and the two QR codes, and what is wrong with them.
#include <QDateTime>
#include <QString>
#include <array>
#include <string>
#include <vector>

struct TEInvoiceItem {
    QString Name;
    long long Quantity = 1;
    long long Price = 0; // unit price, NT$
};

struct TEInvoice {
    QString SellerName;         // printed above the heading when given
    QString SellerId;           // 8 digits
    QString BuyerId;            // 8 digits, or empty for none
    QString Letters;            // the invoice's two letters
    QString Number;             // its 8 digits
    QString RandomCode;         // 4 digits
    long long SalesAmount = -1; // -1: the total without its 5 % tax
    long long Total = -1;       // -1: the items' sum
    std::vector<TEInvoiceItem> Items;
    std::array<unsigned char, 16> Key{}; // the seller's QR key
    bool TestKey = true;                 // the key is the test key: the sample says so
    QDateTime When;                      // the moment of printing
};

// The test key (32 hex digits) every sample uses unless the seller's own is given.
constexpr const char* TestQrKey = "0123456789ABCDEFFEDCBA9876543210";

// A sample with the seed's seller, two items and the test key; its random code and date are
// the caller's.
TEInvoice SampleInvoice();
// Four random digits.
QString RandomCode();
// 32 hex digits to a key; false when they are not.
bool ParseQrKey(const QString& hex, std::array<unsigned char, 16>& key);

// "" when the invoice can be printed, else what is wrong, in a few words ("the seller ID is 8
// digits").
std::string EInvoiceProblem(const TEInvoice& invoice);

long long TotalOf(const TEInvoice& invoice);
long long SalesAmountOf(const TEInvoice& invoice);
// "AB-12345678".
QString InvoiceNumberText(const TEInvoice& invoice);
// The two-month term of a date in ROC years: "115年11-12月".
QString PeriodText(const QDate& date);
// The Code 39 content: the term (ROC year, its even month), the invoice number, the random
// code: 19 characters.
std::string BarcodeContent(const TEInvoice& invoice);

struct TEInvoiceQr {
    std::string Left, Right; // UTF-8
};
// Left: the 77-character header with the verification code, then the custom area, the item
// counts, the encoding and the items that fit; right: "**" and the rest.
TEInvoiceQr QrContents(const TEInvoice& invoice);
// The left code's header alone (77 characters).
std::string QrHeader(const TEInvoice& invoice);
// Base64 of AES-128-CBC (PKCS#7) of the invoice number and the random code, with the seller's
// key and the prescribed IV: 24 characters.
std::string VerificationCode(const std::string& invoiceAndRandom,
                             const std::array<unsigned char, 16>& key);
