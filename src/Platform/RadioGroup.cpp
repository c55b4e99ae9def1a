#include "Platform/RadioGroup.h"

#include "Platform/Application.h"

#include <QGridLayout>
#include <QRadioButton>

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
}

QString TRadioGroup::SelectedText() const {
    return FItemIndex >= 0 ? FItems[FItemIndex] : QString();
}

QRadioButton* TRadioGroup::Button(int index) const {
    return index >= 0 && index < static_cast<int>(FButtons.size()) ? FButtons[index] : nullptr;
}

void TRadioGroup::Rebuild() {
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
        FButtons.push_back(b);
    }
    SetItemIndex(FItemIndex);
}

void TRadioGroup::ButtonClicked(int index) {
    SetItemIndex(index);
    if (FOnClick)
        Guarded(FOnClick);
}
