#pragma once
// Stand-in for the gauge: a bar with MaxValue and Progress.
#include <QColor>
#include <QPainter>
#include <QWidget>

class TGauge : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE SetForeColor)
public:
    explicit TGauge(QWidget* parent = nullptr) : QWidget(parent) {}

    int MaxValue() const { return FMax; }
    void SetMaxValue(int v) { FMax = v; update(); }
    int Progress() const { return FProgress; }
    void SetProgress(int v) { FProgress = v; update(); }
    QColor ForeColor() const { return FFore; }
    void SetForeColor(const QColor& c) { FFore = c; update(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        if (FMax > 0)
            p.fillRect(0, 0, width() * FProgress / FMax, height(), FFore);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    int FMax = 100;
    int FProgress = 0;
    QColor FFore = Qt::black;
};
