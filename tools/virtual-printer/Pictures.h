#pragma once
// The roll's picture files: the first sheet in the file asked for, each further sheet of a
// long roll in a numbered file beside it (roll.png, roll-2.png, ...), said on standard error.
#include "Receipt/PaperRoll.h"

#include <functional>
#include <string>

class TRollPictures {
  public:
    // stopped: a stop came since drawing began (the picture is then not written).
    TRollPictures(std::string path, int widthDots, std::function<bool()> stopped);

    // Draws and writes one sheet; false when it could not be written or drawing was stopped.
    bool Write(const TPaperSheet& sheet);
    bool Stopped() const { return FStopped; }
    // The file of sheet n.
    std::string PathOf(int n) const;

  private:
    std::string FPath;
    int FWidth;
    std::function<bool()> FStop;
    bool FStopped = false;
};
