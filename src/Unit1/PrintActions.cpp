// The font group: ESC SP n straight to the router, in every mode, at the last applied speed.
#include "Unit1/Form1.h"

void TForm1::RadioGroup_ESC_SPClick() {
    const auto n = static_cast<char>(RadioGroup_ESC_SP->ItemIndex() & 0xFF);
    SendToPort(std::string{'\x1B', '\x20', n});
}
