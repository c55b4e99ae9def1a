#include "PaperView/RollImage.h"

#include "PaperView/PaperImage.h"
#include "Print/TextStyle.h"

QImage RenderRoll(const TPaperRoll& roll, int columns) {
    return DrawSheet(roll.Sheet(), columns * FontCell(pfA).Width);
}

bool SaveRoll(const TPaperRoll& roll, const QString& path, int columns) {
    return SavePicture(RenderRoll(roll, columns), path);
}
