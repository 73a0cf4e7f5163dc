#include "gui/wrapping_label.h"

#include <QLayout>
#include <QPainter>
#include <QScreen>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <memory>

namespace hv {

namespace {

// Lines are made no wider than half the screen, and never wider than this,
// unless a layout gives the label more room: the width message boxes give
// a text that wraps.
constexpr int kWidestLine = 500;

// The text as painted: every CR LF, CR, LF or paragraph separator one line
// break of the layout.
QString paintedText(const QString& text)
{
    QString painted = text;
    painted.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    for (const QChar lineBreak : {QChar(u'\r'), QChar(u'\n'), QChar(QChar::ParagraphSeparator)})
        painted.replace(lineBreak, QChar::LineSeparator);
    return painted;
}

}  // namespace

WrappingLabel::WrappingLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void WrappingLabel::takePlaceOf(QLabel& label)
{
    setText(label.text());
    setAlignment(label.alignment());
    setContentsMargins(label.contentsMargins());
    setMargin(label.margin());
    setFont(label.font());
    if (QWidget* parent = label.parentWidget(); parent && parent->layout()) {
        const std::unique_ptr<QLayoutItem> replaced(parent->layout()->replaceWidget(&label, this));
        if (replaced)
            label.hide();
    }
}

QSizeF WrappingLabel::layOut(QTextLayout& layout, qreal width) const
{
    layout.setText(paintedText(text()));
    layout.setFont(font());
    QTextOption option(alignment() & Qt::AlignHorizontal_Mask);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    qreal widest = 0;
    qreal height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
        widest = std::max(widest, line.naturalTextWidth());
    }
    layout.endLayout();
    return {widest, height};
}

QSize WrappingLabel::frame() const
{
    const QMargins margins = contentsMargins();
    return {margins.left() + margins.right() + 2 * margin(), margins.top() + margins.bottom() + 2 * margin()};
}

QSize WrappingLabel::sizeHint() const
{
    QTextLayout layout;
    const QSizeF natural = layOut(layout, 1.0e6);
    int widest = kWidestLine;
    if (const QScreen* shown = screen())
        widest = std::min(widest, shown->availableGeometry().width() / 2);
    const int width = std::min(static_cast<int>(std::ceil(natural.width())), widest) + frame().width();
    return {width, heightForWidth(width)};
}

QSize WrappingLabel::minimumSizeHint() const
{
    return sizeHint();
}

bool WrappingLabel::hasHeightForWidth() const
{
    return true;
}

int WrappingLabel::heightForWidth(int width) const
{
    QTextLayout layout;
    const qreal lineWidth = std::max(1, width - frame().width());
    return static_cast<int>(std::ceil(layOut(layout, lineWidth).height())) + frame().height();
}

void WrappingLabel::paintEvent(QPaintEvent*)
{
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    QTextLayout layout;
    const QSizeF size = layOut(layout, area.width());
    qreal top = area.top();
    if (alignment() & Qt::AlignVCenter)
        top += std::max(0.0, (area.height() - size.height()) / 2);
    else if (alignment() & Qt::AlignBottom)
        top += std::max(0.0, area.height() - size.height());
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    layout.draw(&painter, QPointF(area.left(), top));
}

}  // namespace hv
