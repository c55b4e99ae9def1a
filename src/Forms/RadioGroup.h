#pragma once
// A captioned group of radio buttons laid out in columns, with one selected item. For the
// keyboard the group is one tab stop, its selected item (the first when none is); the arrow
// keys select the next or previous item, wrapping round, and Space selects the focused one.
#include <QGroupBox>
#include <QStringList>
#include <functional>
#include <vector>

class QGridLayout;
class QRadioButton;

class TRadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(QStringList Items READ Items WRITE SetItems)
    Q_PROPERTY(int Columns READ Columns WRITE SetColumns)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)
  public:
    explicit TRadioGroup(QWidget* parent = nullptr);

    QString Caption() const { return title(); }
    void SetCaption(const QString& caption) { setTitle(caption); }
    QStringList Items() const { return FItems; }
    void SetItems(const QStringList& items);
    int Columns() const { return FColumns; }
    void SetColumns(int columns);
    // -1 when nothing is selected.
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int index);
    // Text of the selected item, or empty.
    QString SelectedText() const;
    // Called when the user picks an item (also the one already selected).
    void SetOnClick(std::function<void()> handler) { FOnClick = std::move(handler); }
    // The radio button of an item, for tests that click it.
    QRadioButton* Button(int index) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Rebuild();
    void ButtonClicked(int index);
    // Only the selected item takes Tab.
    void UpdateTabStop();
    void Step(int from, int delta);

    QStringList FItems;
    int FColumns = 1;
    int FItemIndex = -1;
    std::vector<QRadioButton*> FButtons;
    QGridLayout* FLayout;
    std::function<void()> FOnClick;
};
