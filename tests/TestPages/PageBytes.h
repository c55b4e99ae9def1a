#pragma once
// A page's bytes as the printer reads them, and its images as a reader sees them.
#include "Receipt/Decoder.h"
#include "TestPages/TestPage.h"

#include <QImage>
#include <string>
#include <vector>

// The page's EPSON bytes, decoded back into commands (the encoding must succeed).
std::vector<TCommand> DecodedPage(TTestPage page, const TPageOptions& options);
std::vector<TCommand> Decoded(const std::string& bytes);

// Every raster image of the commands stacked as they print, on white with a margin around.
QImage RasterPicture(const std::vector<TCommand>& commands, int margin = 32);

struct TScanned {
    std::string Bytes;
    QRect Box; // in the picture
};
// The QR codes a reader finds in a picture, left to right.
std::vector<TScanned> ScanQrCodes(const QImage& picture);

// Every symbol a reader finds on a printed page, top to bottom: the page is cut into bands
// at its blank rows, each scanned with white paper around it.
struct TRead {
    std::string Format, Text, Bytes;
};
std::vector<TRead> ScanPage(const QImage& page);

// The text of every Text command up to the next line feed, in the order printed.
std::vector<std::string> TextLines(const std::vector<TCommand>& commands);

template <class T> std::vector<T> All(const std::vector<TCommand>& commands) {
    std::vector<T> out;
    for (const TCommand& c : commands)
        if (const T* t = std::get_if<T>(&c))
            out.push_back(*t);
    return out;
}
