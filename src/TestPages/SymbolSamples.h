#pragma once
// What the symbol pages print: the sample of each barcode system and the QR codes' contents.
#include "Commands/Command.h"

#include <string>
#include <vector>

struct TBarcodeSample {
    TSymbology Kind;
    std::string Data;    // as GS k sends it (CODE128 with its code set)
    std::string Content; // what a reader reads back
};
const std::vector<TBarcodeSample>& BarcodeSamples();

// The QR code page's two codes: a URL, and Big5 text.
std::string QrSampleUrl();
std::string QrSampleBig5();
