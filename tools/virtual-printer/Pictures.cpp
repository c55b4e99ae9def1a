#include "Pictures.h"

#include "PaperView/PaperImage.h"

#include <QFileInfo>
#include <cstdio>

TRollPictures::TRollPictures(std::string path, int widthDots, std::function<bool()> stopped)
    : FPath(std::move(path)), FWidth(widthDots), FStop(std::move(stopped)) {}

std::string TRollPictures::PathOf(int n) const {
    if (n <= 1)
        return FPath;
    const QFileInfo info(QString::fromStdString(FPath));
    const QString suffix = info.suffix();
    QString name = info.completeBaseName() + "-" + QString::number(n);
    if (!suffix.isEmpty())
        name += "." + suffix;
    const QString dir = info.path();
    return (dir == "." && !FPath.starts_with("./") ? name : dir + "/" + name).toStdString();
}

bool TRollPictures::Write(const TPaperSheet& sheet) {
    if (FStopped)
        return false;
    const std::string path = PathOf(sheet.Number);
    if (sheet.Number > 1)
        std::fprintf(stderr, "vemix-printer: the roll is longer than %d dots; it goes on in %s\n",
                     TPaperRoll::MaxDots, path.c_str());
    const QImage image = DrawSheet(sheet, FWidth, FStop);
    if (image.isNull()) {
        FStopped = true;
        std::fprintf(stderr, "vemix-printer: stopped while drawing; %s is not written\n",
                     path.c_str());
        return false;
    }
    return SavePicture(image, QString::fromStdString(path));
}
