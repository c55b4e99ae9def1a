#pragma once
// The roll's picture by its columns of font A, for callers that speak of the roll: the sheet
// being filled, drawn as the paper (one pixel a dot, columns x 12 wide).
#include "Receipt/PaperRoll.h"

#include <QImage>
#include <QString>

// Needs a QGuiApplication (fonts).
QImage RenderRoll(const TPaperRoll& roll, int columns);
// Draws and writes a PNG; false (and a line on standard error) when it cannot be written.
bool SaveRoll(const TPaperRoll& roll, const QString& path, int columns);
