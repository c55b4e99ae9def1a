#pragma once
// Stand-in for the anti-aliased label: a plain label with a caption.
#include <QLabel>

class TAALabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
    explicit TAALabel(QWidget* parent = nullptr) : QLabel(parent) {}
    QString Caption() const { return text(); }
    void SetCaption(const QString& c) { setText(c); }
};
