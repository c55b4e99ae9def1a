#include "Forms/RadioGroup.h"

#include "Rtl/Application.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QRadioButton>
#include <algorithm>

TRadioGroup::TRadioGroup(QWidget* parent) : QGroupBox(parent), FLayout(new QGridLayout(this)) {
    FLayout->setContentsMargins(8, 4, 8, 4);
    FLayout->setSpacing(2);
}

void TRadioGroup::SetItems(const QStringList& items) {
    FItems = items;
    if (FItemIndex >= FItems.size())
        FItemIndex = -1;
    Rebuild();
}

void TRadioGroup::SetColumns(int columns) {
    FColumns = std::max(1, columns);
    Rebuild();
}

void TRadioGroup::SetItemIndex(int index) {
    // A form file may set the index before the items; keep it until they arrive.
    if (FItems.isEmpty() && FButtons.empty()) {
        FItemIndex = index;
        return;
    }
    FItemIndex = index >= 0 && index < FItems.size() ? index : -1;
    for (int i = 0; i < static_cast<int>(FButtons.size()); ++i) {
        FButtons[i]->setAutoExclusive(false);
        FButtons[i]->setChecked(i == FItemIndex);
        FButtons[i]->setAutoExclusive(true);
    }
    UpdateTabStop();
}

void TRadioGroup::UpdateTabStop() {
    QRadioButton* stop = nullptr;
    if (!FButtons.empty())
        stop = FItemIndex >= 0 ? FButtons[FItemIndex] : FButtons.front();
    // Focusing the group itself (it takes no focus of its own) lands on the selected item.
    for (QRadioButton* b : FButtons)
        b->setFocusPolicy(b == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

QString TRadioGroup::SelectedText() const {
    return FItemIndex >= 0 ? FItems[FItemIndex] : QString();
}

QRadioButton* TRadioGroup::Button(int index) const {
    return index >= 0 && index < static_cast<int>(FButtons.size()) ? FButtons[index] : nullptr;
}

void TRadioGroup::Rebuild() {
    // New buttons would land at the end of the window's focus chain: they take the place of
    // the old ones (on the first build the window sets its order once every child exists).
    QWidget* before = nullptr;
    if (!FButtons.empty()) {
        before = FButtons.front()->previousInFocusChain();
        while (before != FButtons.front() && before->focusPolicy() == Qt::NoFocus)
            before = before->previousInFocusChain();
        if (before == FButtons.front() || isAncestorOf(before))
            before = nullptr;
    }
    for (QRadioButton* b : FButtons)
        delete b;
    FButtons.clear();
    int count = static_cast<int>(FItems.size());
    int rows = (count + FColumns - 1) / FColumns;
    for (int i = 0; i < count; ++i) {
        auto* b = new QRadioButton(FItems[i], this);
        // Items run down each column, then on to the next column.
        FLayout->addWidget(b, rows ? i % rows : 0, rows ? i / rows : 0);
        connect(b, &QRadioButton::clicked, this, [this, i] { ButtonClicked(i); });
        b->installEventFilter(this);
        if (before)
            setTabOrder(i == 0 ? before : FButtons.back(), b);
        FButtons.push_back(b);
    }
    SetItemIndex(FItemIndex);
}

bool TRadioGroup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QGroupBox::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const auto at = std::find(FButtons.begin(), FButtons.end(), watched);
    if (at == FButtons.end() || (key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)))
        return false;
    const int index = static_cast<int>(at - FButtons.begin());
    switch (key->key()) {
    case Qt::Key_Down:
    case Qt::Key_Right:
        Step(index, 1);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Left:
        Step(index, -1);
        return true;
    default:
        return false;
    }
}

void TRadioGroup::Step(int from, int delta) {
    const int count = static_cast<int>(FButtons.size());
    const int to = ((from + delta) % count + count) % count;
    FButtons[to]->setFocus(delta > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    ButtonClicked(to); // selects, and the group's click event runs at once
}

void TRadioGroup::ButtonClicked(int index) {
    SetItemIndex(index);
    if (FOnClick)
        Guarded(FOnClick);
}
