#include "Send.h"

#include "Commands/PrinterStatus.h"
#include "DeviceIo/Devices.h"
#include "Ports/PortRegistry.h"
#include "Ports/StatusQuery.h"
#include "Receipt/JobSink.h"
#include "Rtl/Events.h"
#include "Rtl/Strings.h"
#include "Rtl/Tick.h"

#include <cstring>

namespace {

// Why the write failed, as the window's box details say it.
std::string Failure(const TPort& port) {
    const TPortFailure& failure = port.Failure();
    std::string reason = failure.Text;
    if (reason.empty())
        reason = failure.Code ? std::strerror(failure.Code) : "failed";
    return port.Name() + " (" + port.Device() + "): " + reason;
}

// The ports as the window maps them, the line at the speed asked for.
struct TSendPorts {
    explicit TSendPorts(int speed) {
        Ports.Apply(TPortSettings::Load());
        Driver.SetComPortSpeed(speed == 19200 ? br19200 : br9600);
    }
    TSerialDriver Driver;
    TWaitCancel Cancel;
    TPortRegistry Ports{Driver, &Cancel};
};

// Every burst the printer sends until ms after sentAt: "+12 ms 12 1A", one line each.
void PrintAnswers(TPort& port, long long sentAt, int ms, std::FILE* err, std::FILE* out) {
    const long long deadline = sentAt + ms;
    for (long long left = ms; left > 0; left = deadline - SteadyMs()) {
        std::string chunk;
        const int end = port.Read(chunk, 4096, static_cast<int>(left));
        if (!chunk.empty())
            std::fprintf(out, "+%lld ms %s\n", SteadyMs() - sentAt, FormatHex(chunk).c_str());
        if (end != 0) {
            std::fprintf(err, "vemix-send: %s (%s): %s\n", port.Name().c_str(),
                         port.Device().c_str(), NetReason(end).c_str());
            return;
        }
    }
}

int ToPort(const TSendRequest& request, const std::string& bytes, std::FILE* err, std::FILE* out) {
    TSendPorts ports(request.Speed);
    TPort* port = ports.Ports.Find(request.Port);
    if (request.AnswerMs && port->Answers() != akStatusBytes) {
        std::fprintf(err, "vemix-send: --answer: %s sends nothing back (COM1..COM4 and NET do)\n",
                     port->Name().c_str());
        return SendBadInput;
    }
    // The port says on standard error why it did not open.
    if (!port->Open())
        return SendPortFailed;
    const long long sentAt = SteadyMs();
    // Listening keeps a connection open after the bytes.
    const bool sent = request.AnswerMs ? port->WriteRequest(bytes) : port->Write(bytes);
    if (TraceEnabled())
        std::fprintf(err, "vemix-send: %s\n", port->TraceLine().c_str());
    if (!sent)
        std::fprintf(err, "vemix-send: %s\n", Failure(*port).c_str());
    else if (request.AnswerMs)
        PrintAnswers(*port, sentAt, *request.AnswerMs, err, out);
    port->Close();
    return sent ? SendOk : SendPortFailed;
}

// "online paper-ok cover-closed drawer-closed", and "error" when an error bit is set.
std::string StatusWords(const TStatusFacts& f) {
    const bool paperOut = f.PaperOut || f.StoppedByPaperEnd;
    const bool error = f.ErrorOccurred || f.MechanicalError || f.AutoCutterError ||
                       f.UnrecoverableError || f.AutoRecoverableError;
    return std::string(f.Offline ? "offline" : "online") +
           (paperOut         ? " paper-out"
            : f.PaperNearEnd ? " paper-near-end"
                             : " paper-ok") +
           (f.CoverOpen ? " cover-open" : " cover-closed") +
           (f.DrawerPin3 ? " drawer-open" : " drawer-closed") + (error ? " error" : "");
}

// Why no answer the status can be read from came.
std::string NoAnswer(const TStatusReport& report) {
    const std::string port = report.Port + " (" + report.Device + ")";
    if (report.Outcome == soSendFailed)
        return port + ": the request did not go out: " + report.Failure;
    if (report.Outcome != soAsked)
        return port + ": " + report.Failure;
    for (const TStatusAnswer& answer : report.Answers)
        if (!answer.Bytes.empty())
            return port + ": the printer's answer is no status answer (" +
                   FormatHex(answer.Bytes.substr(0, 1)) + ")";
    return port + ": the printer did not answer";
}

int RunStatus(const TSendRequest& request, std::FILE* err, std::FILE* out) {
    if (!AsksStatus(request.Set)) {
        std::fprintf(err, "vemix-send: --status: %s has no status requests; nothing was sent\n",
                     CommandSetName(request.Set));
        return SendBadInput;
    }
    TSendPorts ports(request.Speed);
    TPort* port = ports.Ports.Find(request.Port);
    if (port->Answers() != akStatusBytes) {
        std::fprintf(err,
                     "vemix-send: --status: %s cannot answer (COM1..COM4 and NET can); nothing "
                     "was sent\n",
                     port->Name().c_str());
        return SendBadInput;
    }
    TStatusQuery query(&ports.Cancel);
    const TStatusReport report = query.Run(*port, request.Set);
    // The port has said on standard error why it did not open.
    if (report.Outcome == soOpenFailed)
        return SendPortFailed;
    std::size_t read = 0;
    TStatusFacts facts;
    for (const TStatusAnswer& answer : report.Answers)
        read += ReadStatusAnswer(answer, facts) ? 1 : 0;
    if (read == 0) {
        std::fprintf(err, "vemix-send: %s\n", NoAnswer(report).c_str());
        return SendNoAnswer;
    }
    if (read < static_cast<std::size_t>(StatusRequestCount))
        std::fprintf(err, "vemix-send: %s (%s): %zu of %d requests answered\n", report.Port.c_str(),
                     report.Device.c_str(), read, StatusRequestCount);
    std::fprintf(out, "%s\n", StatusWords(report.Facts).c_str());
    return CannotPrint(report.Facts) ? SendCannotPrint : SendOk;
}

int ToFile(const std::string& path, const std::string& bytes, std::FILE* err) {
    TFileSink file(path);
    file.Send(bytes);
    if (!file.Ok()) {
        std::fprintf(err, "vemix-send: %s\n", file.Error().c_str());
        return SendPortFailed;
    }
    return SendOk;
}

} // namespace

int RunSend(TSendRequest request, const QDateTime& now, std::FILE* err, std::FILE* out) {
    if (request.Status)
        return RunStatus(request, err, out);
    if (request.Bytes)
        return request.Output.empty() ? ToPort(request, *request.Bytes, err, out)
                                      : ToFile(request.Output, *request.Bytes, err);
    const TTestPage page = *request.Page;
    TEInvoice& invoice = request.Options.Invoice;
    if (!request.RandomCodeGiven)
        invoice.RandomCode = RandomCode();
    invoice.When = now;
    if (const std::string why = PageProblem(page, request.Options); !why.empty()) {
        std::fprintf(err, "vemix-send: %s\n", why.c_str());
        return SendBadInput;
    }
    const TEncoding encoded = EncodePage(request.Set, page, request.Options);
    if (!encoded.Supported) {
        std::fprintf(err,
                     "vemix-send: the %s page is ESC/POS (EPSON) and cannot be printed in %s: %s\n",
                     TestPageName(page), CommandSetName(request.Set), encoded.Reason.c_str());
        return SendBadInput;
    }
    return request.Output.empty() ? ToPort(request, encoded.Bytes, err, out)
                                  : ToFile(request.Output, encoded.Bytes, err);
}
