#include "Forms/AutoSize.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace {

// Where the form file put a control, kept from the first fit so that fitting again (other
// fonts) starts from the drawing, not from the last result.
const char* const DesignProperty = "vemixDesignGeometry";

QRect Design(QWidget* w) {
    const QVariant kept = w->property(DesignProperty);
    if (kept.isValid())
        return kept.toRect();
    w->setProperty(DesignProperty, w->geometry());
    return w->geometry();
}

QSize MemoNeed(const QPlainTextEdit* memo) {
    const QFontMetrics fm(memo->font());
    int lines = 0;
    int widest = 0;
    for (QTextBlock b = memo->document()->begin(); b.isValid(); b = b.next()) {
        ++lines;
        widest = std::max(widest, fm.horizontalAdvance(b.text()));
    }
    const int margin = static_cast<int>(std::ceil(memo->document()->documentMargin()));
    const QMargins frame = memo->contentsMargins();
    // One extra pixel per side: the caret and the line layout's rounding.
    return QSize(widest + 2 * margin + frame.left() + frame.right() + 2,
                 lines * fm.lineSpacing() + 2 * margin + frame.top() + frame.bottom() + 2);
}

struct Item {
    QWidget* Control;
    QRect Design;
    QSize Need;
};

// New positions of the grid lines along one axis (the design's left and right edges, or top
// and bottom edges): in order, no gap narrower than drawn, and each span wide enough.
struct Span {
    int From, To, Need;
};

// The smallest number of units that is a whole number of device pixels: 1 at whole ratios, 2
// at 1.5, 4 at 1.25 and 1.75 (1 where no small one is). A control placed off a whole device
// pixel loses the first row or column of its frame to the rounding of its clip.
int DeviceStep(qreal ratio) {
    for (int step = 1; step <= 4; ++step) {
        const qreal device = ratio * step;
        if (std::abs(device - std::round(device)) < 1e-6)
            return step;
    }
    return 1;
}

int RoundUp(int value, int step) {
    const int rest = ((value % step) + step) % step;
    return rest ? value + step - rest : value;
}

std::map<int, int> PlaceLines(const std::vector<Span>& spans, int step) {
    std::map<int, int> placed;
    for (const Span& s : spans) {
        placed[s.From] = s.From;
        placed[s.To] = s.To;
    }
    int previousDesign = 0;
    int previousPlaced = 0;
    bool first = true;
    for (auto& [design, at] : placed) {
        at = first ? design : previousPlaced + (design - previousDesign);
        for (const Span& s : spans)
            if (s.To == design)
                at = std::max(at, placed[s.From] + s.Need);
        at = RoundUp(at, step);
        previousDesign = design;
        previousPlaced = at;
        first = false;
    }
    return placed;
}

} // namespace

QSize ContentNeed(const QWidget* control) {
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(control))
        return MemoNeed(memo);
    if (qobject_cast<const QLineEdit*>(control))
        return QSize(0, control->sizeHint().height());
    if (qobject_cast<const QAbstractButton*>(control) || qobject_cast<const QLabel*>(control) ||
        qobject_cast<const QGroupBox*>(control))
        return control->sizeHint();
    // A control that sizes itself to its content has taken what it needs.
    if (control->property("AutoSize").toBool())
        return control->size();
    // Anything else shows at most a line of text in its font inside a thin frame.
    return QSize(0, control->fontMetrics().height() + 4);
}

void FitControls(QWidget* form, int border) {
    const int step = DeviceStep(form->devicePixelRatioF());
    std::vector<Item> items;
    for (QObject* child : form->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow())
            continue;
        const QRect design = Design(w);
        if (!w->isHidden())
            items.push_back({w, design, ContentNeed(w)});
    }

    // Across: a control spans from its left line to its right line, so controls drawn with
    // the same right edge keep it when one of them needs more width.
    std::vector<Span> across;
    for (const Item& i : items)
        across.push_back({i.Design.left(), i.Design.left() + i.Design.width(),
                          std::max(i.Design.width(), i.Need.width())});
    const std::map<int, int> x = PlaceLines(across, step);

    // Down: a control keeps its own height (a button beside a group that grew stays a
    // button), except that controls drawn side by side with the same top and bottom keep
    // them equal; what lies below moves on.
    std::map<std::pair<int, int>, int> bandHeight;
    for (const Item& i : items) {
        int& h = bandHeight[{i.Design.top(), i.Design.top() + i.Design.height()}];
        h = std::max({h, i.Design.height(), i.Need.height()});
    }
    std::vector<Span> down;
    for (const Item& i : items) {
        const int top = i.Design.top();
        const int bottom = top + i.Design.height();
        down.push_back({top, bottom, bandHeight[{top, bottom}]});
    }
    const std::map<int, int> y = PlaceLines(down, step);

    QRect content;
    for (const Item& i : items) {
        const int left = x.at(i.Design.left());
        const int right = x.at(i.Design.left() + i.Design.width());
        const int top = y.at(i.Design.top());
        const int height = bandHeight[{i.Design.top(), i.Design.top() + i.Design.height()}];
        const QRect placed(left, top, right - left, height);
        i.Control->setGeometry(placed);
        content |= placed;
    }
    form->setFixedSize(content.right() + 1 + border, content.bottom() + 1 + border);
}
