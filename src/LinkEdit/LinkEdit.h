#pragma once
// Stand-in for the link edit: a plain line edit.
#include <QLineEdit>

class TLinkEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TLinkEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}
};
