#pragma once
// Auto-size of a form whose controls sit at pixel positions from its form file. The positions
// are drawn for the form's fonts on one screen; fonts with other metrics, another style or a
// scale factor may need more room. FitControls gives every visible control at least the room
// its content needs and moves what lies right of it or below it on, so the order and the
// neighbours of the controls stay as drawn; the form then sizes itself round them.
#include <QSize>

class QWidget;

// The room a control's content needs now (0 where it has no say): a button its caption, a
// radio group its caption and every item, a memo every line it holds, an edit box one line.
QSize ContentNeed(const QWidget* control);

// Places the form's visible child controls (see above), starting each time from the positions
// they had at the first call, and sizes the form round them with BORDER pixels to spare. On a
// screen of fractional device pixels per unit every control's edges lie on whole device pixels,
// so none loses a line of its frame.
void FitControls(QWidget* form, int border);
