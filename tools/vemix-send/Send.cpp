#include "Send.h"

#include "DeviceIo/Devices.h"
#include "Ports/PortRegistry.h"
#include "Receipt/JobSink.h"
#include "Rtl/Events.h"

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

int ToPort(const TSendRequest& request, const std::string& bytes, std::FILE* err) {
    TSerialDriver driver;
    TWaitCancel cancel;
    TPortRegistry ports(driver, &cancel);
    ports.Apply(TPortSettings::Load());
    driver.SetComPortSpeed(request.Speed == 19200 ? br19200 : br9600);
    TPort* port = ports.Find(request.Port);
    // The port says on standard error why it did not open.
    if (!port->Open())
        return SendPortFailed;
    const bool sent = port->Write(bytes);
    if (TraceEnabled())
        std::fprintf(err, "vemix-send: %s\n", port->TraceLine().c_str());
    if (!sent)
        std::fprintf(err, "vemix-send: %s\n", Failure(*port).c_str());
    port->Close();
    return sent ? SendOk : SendPortFailed;
}

} // namespace

int RunSend(TSendRequest request, const QDateTime& now, std::FILE* err) {
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
    if (request.Output.empty())
        return ToPort(request, encoded.Bytes, err);
    TFileSink file(request.Output);
    file.Send(encoded.Bytes);
    if (!file.Ok()) {
        std::fprintf(err, "vemix-send: %s\n", file.Error().c_str());
        return SendPortFailed;
    }
    return SendOk;
}
