#include "gui/eliding_combo_box.h"

#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <algorithm>

namespace hv {

namespace {

QRect textArea(const QComboBox& box, const QStyleOptionComboBox& option)
{
    return box.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &box);
}

}  // namespace

ElidingComboBox::ElidingComboBox(QWidget* parent, ToolTip toolTip) : QComboBox(parent)
{
    if (toolTip == ToolTip::ChosenName)
        connect(this, &QComboBox::currentTextChanged, this, &QWidget::setToolTip);
}

int ElidingComboBox::widthFor(int characters) const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QSize text(fontMetrics().averageCharWidth() * characters, fontMetrics().height());
    return style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, this).width();
}

QSize ElidingComboBox::sizeHint() const
{
    QSize hint = QComboBox::sizeHint();
    hint.setWidth(std::min(hint.width(), widthFor(kShownCharacters)));
    return hint;
}

QSize ElidingComboBox::minimumSizeHint() const
{
    QSize hint = QComboBox::minimumSizeHint();
    hint.setWidth(std::min(hint.width(), widthFor(kLeastCharacters)));
    return hint;
}

QString ElidingComboBox::shownText() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return option.fontMetrics.elidedText(option.currentText, Qt::ElideRight, textArea(*this, option).width());
}

void ElidingComboBox::paintEvent(QPaintEvent*)
{
    // As the box paints itself, with the text shortened to its field.
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = shownText();
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

}  // namespace hv
