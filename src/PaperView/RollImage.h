#pragma once
// The paper roll as a picture, in the Ming face the printers use: each printed line on the
// roll's columns, markers in gray (unknown bytes in red), feeds, page ends and cuts. Barcodes,
// QR codes and images show as their markers.
#include "Receipt/PaperRoll.h"

#include <QImage>
#include <QString>

// Needs a QGuiApplication (fonts). The roll is columns of font A wide; lines wider than the
// roll run past its right edge in red.
QImage RenderRoll(const TPaperRoll& roll, int columns);
// Renders and writes a PNG; false (and a line on standard error) when it cannot be written.
bool SaveRoll(const TPaperRoll& roll, const QString& path, int columns);
