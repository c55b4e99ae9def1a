#pragma once
// The paper as a picture at one pixel a dot, black on white: text in the printer's cells and
// styles, bit and raster images dot for dot, barcodes and QR codes as the encoder's modules at
// their module size, cuts as a dashed line across the page. Markers are not printed: the
// terminal view shows them. Needs a QGuiApplication (fonts).
#include "Receipt/PaperRoll.h"
#include "Receipt/Printer.h"

#include <QImage>
#include <QString>
#include <functional>
#include <string>
#include <string_view>

// Asked now and then while drawing; true ends the drawing.
using TStopCheck = std::function<bool()>;

// A sheet as a Format_Mono image (colour 1 black) widthDots wide and as long as the sheet (at
// least one dot); a null image when stop said so.
QImage DrawSheet(const TPaperSheet& sheet, int widthDots, const TStopCheck& stop = {});

// How the printer of a picture is set up.
struct TReceiptSetup {
    TCommandSet Set = csEPSON;
    int WidthDots = TPaper::Width58;
    bool ChineseMode = true;        // at power-on
    std::string CodePage = "CP950"; // of double-byte text
};

// Bytes in, picture out: the bytes as that printer prints them, from the top of the paper
// (at most TPaperRoll::MaxDots long).
QImage DrawReceipt(std::string_view bytes, const TReceiptSetup& setup = {});

// Writes the picture as a PNG; false (and a line on standard error) when it cannot.
bool SavePicture(const QImage& image, const QString& path);
