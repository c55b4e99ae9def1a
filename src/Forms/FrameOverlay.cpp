#include "Forms/FrameOverlay.h"

#include <QEvent>
#include <QFrame>
#include <QPainter>
#include <QStyleOptionFrame>

TFrameOverlay::TFrameOverlay(QFrame* frame) : QWidget(frame), FFrame(frame) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(frame->rect());
    frame->installEventFilter(this);
    raise();
}

bool TFrameOverlay::eventFilter(QObject* watched, QEvent* event) {
    // The frame's own children may be raised when they are shown: stay on top of them.
    if (watched == FFrame && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        setGeometry(FFrame->rect());
        raise();
    }
    return QWidget::eventFilter(watched, event);
}

void TFrameOverlay::paintEvent(QPaintEvent*) {
    // As the frame draws itself (QFrame::drawFrame).
    QStyleOptionFrame option;
    option.initFrom(FFrame);
    option.rect = FFrame->frameRect();
    option.frameShape = FFrame->frameShape();
    switch (FFrame->frameShape()) {
    case QFrame::Box:
    case QFrame::HLine:
    case QFrame::VLine:
    case QFrame::StyledPanel:
    case QFrame::Panel:
        option.lineWidth = FFrame->lineWidth();
        option.midLineWidth = FFrame->midLineWidth();
        break;
    default:
        option.lineWidth = FFrame->frameWidth();
        break;
    }
    if (FFrame->frameShadow() == QFrame::Sunken)
        option.state |= QStyle::State_Sunken;
    else if (FFrame->frameShadow() == QFrame::Raised)
        option.state |= QStyle::State_Raised;
    QPainter painter(this);
    FFrame->style()->drawControl(QStyle::CE_ShapedFrame, &option, &painter, FFrame);
}
