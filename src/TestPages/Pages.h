#pragma once
// The pages, one function each (see TestPage.h).
#include "TestPages/Dither.h"
#include "TestPages/TestPage.h"

std::vector<TCommand> RulerPage(const TPageOptions& options);
std::vector<TCommand> StylesPage(const TPageOptions& options);
std::vector<TCommand> ChinesePage(const TPageOptions& options);
std::vector<TCommand> CodePagePage(const TPageOptions& options);
std::vector<TCommand> BarcodesPage(const TPageOptions& options);
std::vector<TCommand> QrCodesPage(const TPageOptions& options);
std::vector<TCommand> ImagePage(const TPageOptions& options);
std::vector<TCommand> EInvoicePage(const TPageOptions& options);
std::vector<TCommand> SelfTestPage(const TPageOptions& options);

// The e-invoice's two QR codes side by side in one image across 384 dots, top edges level and
// of one size; none when they do not fit.
std::optional<TDots> QrPairDots(const TEInvoiceQr& codes);
