#include "SendOptions.h"

#include "Commands/CommandText.h"
#include "Ports/PortSettings.h"
#include "Rtl/Strings.h"

#include <QFile>
#include <QImageReader>
#include <charconv>
#include <functional>
#include <map>

namespace {

constexpr const char* Usage =
    "usage: vemix-send [--port COM1..COM4|LPT1|LPT2|NET] [--mode EPSON|START|TP-3688]\n"
    "                  [--speed 9600|19200] [--width 58|80] --page NAME [page options]\n"
    "                  [--output FILE] [--answer MS]\n"
    "       vemix-send [port, mode, speed] --hex TEXT|--text TEXT|--file FILE\n"
    "                  [--output FILE] [--answer MS]\n"
    "       vemix-send [port, mode, speed] --status\n"
    "Sends a test page to a printer as the window's 測試頁… does, the same bytes on the same\n"
    "port mapping; defaults COM1, EPSON, 9600 baud, 58 mm paper. Or sends any bytes as the\n"
    "window's 指令主控台… does, or asks the printer how it is as 印表機狀態 does.\n"
    "\n"
    "  --hex TEXT               command text: hex (1B 40), names (ESC @, GS V 1, DLE EOT 1),\n"
    "                           escapes (\\x1b@ \\n) and quoted text (\"總計 100\"), mixed\n"
    "  --text TEXT              a line of text in the printer's code page, then a line feed\n"
    "  --file FILE              the file's bytes as they are\n"
    "  --status                 one line: online|offline paper-ok|paper-near-end|paper-out\n"
    "                           cover-open|cover-closed drawer-open|drawer-closed [error]\n"
    "  --answer MS              after sending, print every byte the printer sends for MS ms\n"
    "                           (hex, one line per burst with its time); COM and NET only\n"
    "\n"
    "Pages: ruler, styles, chinese, codepage, barcodes, qr, image, einvoice, selftest.\n"
    "  --big5-lead HEX          chinese: lead byte of the Big5 table, 81 to FE (A4)\n"
    "  --code-table N           codepage: ESC t N, 0 to 255 (0)\n"
    "  --module-width 2|3       barcodes: the narrowest bar in dots (2)\n"
    "  --qr-size 3..8           qr: module size in dots (4)\n"
    "  --qr-level L|M|Q|H       qr: error correction level (M)\n"
    "  --image FILE             image: a PNG or JPEG instead of the built-in picture\n"
    "  --selftest-type 1|2|3    selftest: hexadecimal dump, printer status, rolling pattern (2)\n"
    "  --einvoice-key HEX       einvoice: the seller's QR key, 32 hex digits (a test key)\n"
    "  --einvoice-seller-id ID  the seller's 8-digit ID (24681357)\n"
    "  --einvoice-seller-name TEXT  printed above the heading\n"
    "  --einvoice-buyer-id ID   the buyer's 8-digit ID (none)\n"
    "  --einvoice-number AB-12345678  the invoice's letters and number\n"
    "  --einvoice-random NNNN   the random code (random)\n"
    "  --einvoice-total N       the total (the items' sum)\n"
    "  --einvoice-sales N       the sales amount (the total without its 5% tax)\n"
    "  --einvoice-item NAME:QUANTITY:PRICE  an item; repeat it for more (two samples)\n"
    "  --output FILE            write the bytes to FILE instead of sending them\n"
    "  --help, --version\n"
    "\n"
    "Exit status: 0 sent (--status: on line with paper), 1 --status: the printer answered but\n"
    "cannot print, 2 a usage error or bad input (nothing sent), 3 --status: the printer did\n"
    "not answer, 4 the port failed.\n"
    "Environment: VEMIX_COM1..VEMIX_COM4, VEMIX_LPT1, VEMIX_LPT2, VEMIX_NET=HOST[:PORT]\n"
    "override the devices kept in ~/.config/vemix/vemix-test.ini for one run;\n"
    "VEMIX_CODEPAGE is the printer's code page (CP950); VEMIX_TRACE=1 logs the port cycle.\n"
    "See vemix-send(1).\n";

std::optional<long long> Number(const std::string& text, int base = 10) {
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

// Reads a number within a range into field, or says what the option takes.
template <class T>
std::string InRange(const std::string& option, const std::string& value, long long low,
                    long long high, T& field, int base = 10) {
    const std::optional<long long> n = Number(value, base);
    if (!n || *n < low || *n > high)
        return option + " takes " + (base == 16 ? "hexadecimal " : "") + std::to_string(low) +
               " to " + std::to_string(high) + ", not '" + value + "'";
    field = static_cast<T>(*n);
    return {};
}

std::string OneOf(const std::string& option, const std::string& value,
                  std::initializer_list<const char*> choices, int& index) {
    int i = 0;
    std::string list;
    for (const char* choice : choices) {
        if (value == choice) {
            index = i;
            return {};
        }
        list += (i++ ? "|" : "") + std::string(choice);
    }
    return option + " takes " + list + ", not '" + value + "'";
}

QString Q(const std::string& s) {
    return QString::fromLocal8Bit(s.c_str());
}

std::string Item(const std::string& value, TEInvoice& invoice, bool& first) {
    const QStringList parts = Q(value).split(':');
    bool quantity = false, price = false;
    TEInvoiceItem item;
    if (parts.size() == 3) {
        item.Name = parts[0];
        item.Quantity = parts[1].toLongLong(&quantity);
        item.Price = parts[2].toLongLong(&price);
    }
    if (!quantity || !price)
        return "--einvoice-item takes NAME:QUANTITY:PRICE, not '" + value + "'";
    // The first one given replaces the samples.
    if (first)
        invoice.Items.clear();
    first = false;
    invoice.Items.push_back(item);
    return {};
}

std::string Picture(const std::string& file, QImage& picture) {
    QImageReader reader(Q(file));
    picture = reader.read();
    if (picture.isNull())
        return "cannot read the picture " + file + ": " + reader.errorString().toStdString();
    return {};
}

using THandler = std::function<std::string(const std::string& value, TSendRequest& r)>;

std::string InvoiceNumber(const std::string& value, TEInvoice& invoice) {
    // As the window takes it: letters in either case, the hyphen optional.
    QString number = Q(value).toUpper();
    number.remove('-');
    invoice.Letters = number.left(2);
    invoice.Number = number.mid(2);
    return {};
}

std::map<std::string, THandler> PageOptionHandlers() {
    auto invoice = [](std::function<void(TEInvoice&, const QString&)> set) -> THandler {
        return [set](const std::string& v, TSendRequest& r) {
            set(r.Options.Invoice, Q(v));
            return std::string();
        };
    };
    return {
        {"--big5-lead",
         [](auto& v, auto& r) {
             return InRange("--big5-lead", v, 0x81, 0xFE, r.Options.Big5Lead, 16);
         }},
        {"--code-table",
         [](auto& v, auto& r) { return InRange("--code-table", v, 0, 255, r.Options.CodeTable); }},
        {"--module-width",
         [](auto& v, auto& r) {
             return InRange("--module-width", v, 2, 3, r.Options.ModuleWidth);
         }},
        {"--qr-size",
         [](auto& v, auto& r) { return InRange("--qr-size", v, 3, 8, r.Options.QrModule); }},
        {"--qr-level",
         [](auto& v, auto& r) {
             return OneOf("--qr-level", v, {"L", "M", "Q", "H"}, r.Options.QrLevel);
         }},
        {"--image", [](auto& v, auto& r) { return Picture(v, r.Options.Image); }},
        {"--selftest-type",
         [](auto& v, auto& r) {
             return InRange("--selftest-type", v, 1, 3, r.Options.SelfTestType);
         }},
        {"--einvoice-key",
         [](auto& v, auto& r) {
             r.Options.Invoice.TestKey = false;
             return ParseQrKey(Q(v), r.Options.Invoice.Key)
                        ? std::string()
                        : "--einvoice-key takes 32 hexadecimal digits";
         }},
        {"--einvoice-seller-id", invoice([](TEInvoice& i, const QString& v) { i.SellerId = v; })},
        {"--einvoice-seller-name",
         invoice([](TEInvoice& i, const QString& v) { i.SellerName = v; })},
        {"--einvoice-buyer-id", invoice([](TEInvoice& i, const QString& v) { i.BuyerId = v; })},
        {"--einvoice-number", [](auto& v, auto& r) { return InvoiceNumber(v, r.Options.Invoice); }},
        {"--einvoice-random",
         [](auto& v, auto& r) {
             r.Options.Invoice.RandomCode = Q(v);
             r.RandomCodeGiven = true;
             return std::string();
         }},
        {"--einvoice-total",
         [](auto& v, auto& r) {
             return InRange("--einvoice-total", v, 0, 0xFFFFFFFFLL, r.Options.Invoice.Total);
         }},
        {"--einvoice-sales",
         [](auto& v, auto& r) {
             return InRange("--einvoice-sales", v, 0, 0xFFFFFFFFLL, r.Options.Invoice.SalesAmount);
         }},
    };
}

// --hex: the console's command text, in the printer's code page; all of it or nothing.
std::string HexText(const std::string& value, TSendRequest& r) {
    const TCodePage page(AnsiCodePage());
    const TCommandText parsed = ParseCommandText(Q(value), page);
    if (!parsed.Ok)
        return "--hex: " + CommandTextProblem(parsed);
    r.Bytes = parsed.Bytes;
    return {};
}

// --text: the line in the code page, a character it lacks refused rather than sent as "?".
std::string LineText(const std::string& value, TSendRequest& r) {
    const TCodePage page(AnsiCodePage());
    const QString text = Q(value);
    std::vector<qsizetype> unmapped;
    const std::string bytes = page.Encode(text, &unmapped);
    if (!unmapped.empty())
        return "--text: " + text.mid(unmapped.front(), 1).toStdString() +
               " is not in the printer's code page " + page.Name();
    r.Bytes = bytes + "\n";
    return {};
}

std::string FileBytes(const std::string& value, TSendRequest& r) {
    QFile file(Q(value));
    if (!file.open(QIODevice::ReadOnly))
        return "cannot read " + value + ": " + file.errorString().toStdString();
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return "cannot read " + value + ": " + file.errorString().toStdString();
    if (bytes.isEmpty())
        return value + " is empty: nothing to send";
    r.Bytes = bytes.toStdString();
    return {};
}

std::map<std::string, THandler> Handlers() {
    std::map<std::string, THandler> handlers = PageOptionHandlers();
    handlers["--hex"] = HexText;
    handlers["--text"] = LineText;
    handlers["--file"] = FileBytes;
    handlers["--answer"] = [](const std::string& v, TSendRequest& r) {
        int ms = 0;
        std::string why = InRange("--answer", v, 1, 3600000, ms);
        r.AnswerMs = ms;
        return why;
    };
    handlers["--port"] = [](const std::string& v, TSendRequest& r) {
        r.Port = Q(v).toUpper();
        return TPortSettings::Names().contains(r.Port)
                   ? std::string()
                   : "--port takes COM1..COM4, LPT1, LPT2 or NET, not '" + v + "'";
    };
    handlers["--mode"] = [](const std::string& v, TSendRequest& r) {
        const std::optional<TCommandSet> set = CommandSetByName(v);
        if (set)
            r.Set = *set;
        return set ? std::string() : "--mode takes EPSON, START or TP-3688, not '" + v + "'";
    };
    handlers["--speed"] = [](const std::string& v, TSendRequest& r) {
        int index = 0;
        std::string why = OneOf("--speed", v, {"9600", "19200"}, index);
        r.Speed = index ? 19200 : 9600;
        return why;
    };
    handlers["--width"] = [](const std::string& v, TSendRequest& r) {
        int index = 0;
        std::string why = OneOf("--width", v, {"58", "80"}, index);
        r.Options.WidthDots = index ? 576 : 384;
        return why;
    };
    handlers["--page"] = [](const std::string& v, TSendRequest& r) {
        r.Page = TestPageByName(v);
        return r.Page ? std::string()
                      : "--page takes ruler, styles, chinese, codepage, barcodes, qr, image, "
                        "einvoice or selftest, not '" +
                            v + "'";
    };
    handlers["--output"] = [](const std::string& v, TSendRequest& r) {
        r.Output = v;
        return v.empty() ? "--output needs a file name" : std::string();
    };
    return handlers;
}

// One thing to do, and only the options that go with it.
std::string WhatToSendProblem(const TSendRequest& r) {
    const int given = (r.Page ? 1 : 0) + (r.Bytes ? 1 : 0) + (r.Status ? 1 : 0);
    if (given == 0)
        return "nothing to send: give --page NAME, --hex TEXT, --text TEXT, --file FILE or "
               "--status";
    if (given > 1)
        return "give one of --page, --hex, --text, --file and --status";
    if (r.Status && (r.AnswerMs || !r.Output.empty()))
        return std::string(r.AnswerMs ? "--answer" : "--output") + " does not go with --status";
    if (r.AnswerMs && !r.Output.empty())
        return "--answer does not go with --output: a file sends nothing back";
    return {};
}

} // namespace

const char* SendUsage() {
    return Usage;
}

std::optional<TSendRequest> ParseSendOptions(int argc, const char* const* argv,
                                             std::string& error) {
    static const std::map<std::string, THandler> handlers = Handlers();
    TSendRequest request;
    bool firstItem = true;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            request.Help = true;
            return request;
        }
        if (option == "--version") {
            request.Version = true;
            return request;
        }
        if (option == "--status") {
            request.Status = true;
            continue;
        }
        const auto handler = handlers.find(option);
        if (handler == handlers.end() && option != "--einvoice-item")
            error = "unknown option '" + option + "'";
        else if (i + 1 >= argc)
            error = option + " needs a value";
        else if (handler == handlers.end())
            error = Item(argv[++i], request.Options.Invoice, firstItem);
        else
            error = handler->second(argv[++i], request);
        if (!error.empty())
            return std::nullopt;
    }
    error = WhatToSendProblem(request);
    if (!error.empty())
        return std::nullopt;
    return request;
}
