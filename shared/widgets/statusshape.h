#ifndef STATUSSHAPE_H
#define STATUSSHAPE_H

#include <QColor>
#include <QWidget>

// A rounded rectangle whose fill colour carries a window's state; its tool tip
// holds a short state text. It takes no clicks.
class StatusShape : public QWidget
{
    Q_OBJECT

public:
    explicit StatusShape(QWidget *parent = nullptr);

    QColor fillColor() const { return m_fill; }
    void setFillColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_fill = Qt::white;
};

#endif // STATUSSHAPE_H
