#pragma once
// The paper roll as a picture, in the Ming face the printers use.
#include "Paper.h"

#include <QImage>
#include <QString>

// Needs a QGuiApplication (fonts). Lines wider than the roll run past its right edge in red.
QImage RenderRoll(const Paper& paper);
// Renders and writes a PNG; false (and a line on standard error) when it cannot be written.
bool SaveRoll(const Paper& paper, const QString& path);
