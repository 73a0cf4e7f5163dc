#pragma once

#include <QLabel>

class QTextLayout;

namespace hv {

// A plain-text label whose long lines wrap between words where they can and
// anywhere inside a word longer than the line, so a long path or number
// never pushes a window past the screen. The text itself is never changed:
// text() and what a screen reader reads are exactly the text set, line
// breaks (CR LF, CR or LF, each shown as one) included.
class WrappingLabel : public QLabel {
    Q_OBJECT

public:
    explicit WrappingLabel(QWidget* parent = nullptr);

    // Takes the place of `label` in its parent's layout, with its text,
    // alignment and margins; `label` stays, hidden.
    void takePlaceOf(QLabel& label);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Lays the text out in lines of `width` pixels; returns the width of the
    // widest line and the height of all.
    QSizeF layOut(QTextLayout& layout, qreal width) const;
    // The space around the text.
    QSize frame() const;
};

}  // namespace hv
