// The font group: ESC SP n straight to the sink, in every mode, at the last applied speed.
#include "Unit1/Form1.h"

void TForm1::RadioGroup_ESC_SPClick() {
    TJob job(*this);
    FSink->Send(EncodeCommand(FontCommand(), RadioGroup_ESC_SP->ItemIndex()));
}
