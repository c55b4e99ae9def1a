#pragma once
// Stand-in for the numeric edit: a line edit whose text is read as an integer.
#include "Platform/Exceptions.h"

#include <QLineEdit>

class TNumEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(double MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(double MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(double Value READ Value WRITE SetValue)
public:
    explicit TNumEdit(QWidget* parent = nullptr) : QLineEdit(parent) { setText("0"); }

    double MinValue() const { return FMin; }
    void SetMinValue(double v) { FMin = v; }
    double MaxValue() const { return FMax; }
    void SetMaxValue(double v) { FMax = v; }
    double Value() const { return text().toDouble(); }
    void SetValue(double v) { setText(QString::number(v, 'g', 18)); }
    int AsInteger() const {
        bool ok = false;
        double v = text().toDouble(&ok);
        if (!ok)
            throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text()));
        return static_cast<int>(static_cast<long long>(v));
    }

private:
    double FMin = 0;
    double FMax = 0;
};
