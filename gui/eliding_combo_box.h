#pragma once

#include <QComboBox>

namespace hv {

// A drop-down list of names that is as wide as its names up to a sensible
// width, however long a name is: the chosen name is shown shortened with
// "…" to the space it has, whole in the list that opens, in the box's
// tooltip (unless the box keeps a tooltip of its own) and in what
// currentText() and screen readers give.
class ElidingComboBox : public QComboBox {
    Q_OBJECT

public:
    enum class ToolTip { ChosenName, Own };

    explicit ElidingComboBox(QWidget* parent = nullptr, ToolTip toolTip = ToolTip::ChosenName);

    // The most characters the box asks room for, and the fewest it can be
    // made to show when space is short.
    static constexpr int kShownCharacters = 24;
    static constexpr int kLeastCharacters = 10;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The chosen name as the box paints it.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The box's width when it shows `characters` average characters.
    int widthFor(int characters) const;
};

}  // namespace hv
