#include "app/main_window_layout.h"

namespace hv::layout {

namespace {

constexpr double kButtonWidth = 3360;
constexpr double kButtonHeight = 405;

// The other five buttons follow the add button: two rows of three, 120 twips
// apart across, 105 twips apart down.
void placeFromAddButton(MainWindowPlaces& p)
{
    const QRectF& add = p.addButton;
    p.deleteButton = {add.left() + add.width() + 120, add.top(), kButtonWidth, kButtonHeight};
    p.sampleButton = {p.deleteButton.left() + p.deleteButton.width() + 120, add.top(), kButtonWidth, kButtonHeight};
    p.editButton = {add.left(), add.top() + add.height() + 105, kButtonWidth, kButtonHeight};
    p.reportsButton = {p.editButton.left() + p.editButton.width() + 120, p.editButton.top(), kButtonWidth,
                       kButtonHeight};
    p.helpButton = {p.reportsButton.left() + p.reportsButton.width() + 120, p.editButton.top(), kButtonWidth,
                    kButtonHeight};
}

}  // namespace

MainWindowPlaces designPlaces()
{
    MainWindowPlaces p;
    p.list = {120, 120, 10320, 5475};
    p.addButton = {120, 5690, kButtonWidth, kButtonHeight};
    placeFromAddButton(p);
    return p;
}

MainWindowPlaces stretchedPlaces(QSizeF windowSize)
{
    MainWindowPlaces p;
    const double listWidth = windowSize.width() - 330;
    const double listHeight = windowSize.height() - 2 * kButtonHeight - 315 - 120 - 465;
    p.list = {120, 120, listWidth, listHeight};
    p.addButton = {windowSize.width() / 2 - kButtonWidth * 3 / 2 - 480, listHeight + 105 + 120, kButtonWidth,
                   kButtonHeight};
    placeFromAddButton(p);
    return p;
}

}  // namespace hv::layout
