#pragma once

#include <QLayout>
#include <memory>
#include <vector>

namespace hv {

// Lays its items out left to right at their preferred sizes and starts a new
// row where the next one would not fit, so that a row of controls wraps on a
// narrow screen instead of making the window wider than the screen. Its
// minimum width is that of its widest item.
class FlowLayout : public QLayout {
public:
    explicit FlowLayout(QWidget* parent = nullptr);
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;

    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Places the items in the rectangle (or only measures, when `place` is
    // false); returns the height they take.
    int arrange(const QRect& rect, bool place) const;
    int gap() const;

    std::vector<std::unique_ptr<QLayoutItem>> m_items;
};

}  // namespace hv
