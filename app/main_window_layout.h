#pragma once

#include <QRectF>
#include <QSizeF>

// Where the main window's list and six buttons stand, in twips. The design
// layout is fixed; the stretched layout follows the maximised window's size.
namespace hv::layout {

struct MainWindowPlaces {
    QRectF list;
    QRectF addButton;      // PushButton2 "Add New Work"
    QRectF editButton;     // PushButton1 "Edit Selected Work"
    QRectF deleteButton;   // PushButton3 "Delete Selected Work"
    QRectF reportsButton;  // PushButton5 "Reports"
    QRectF sampleButton;   // PushButton4 "Load Sample/Example Data"
    QRectF helpButton;     // PushButton6 "Help"
};

// The client area at design size.
inline constexpr QSizeF kDesignClientSize{10560, 6705};

// The places at design size.
MainWindowPlaces designPlaces();

// The places in a maximised window whose outer size (borders and title bar
// included) is windowSize: the list fills the width, the buttons keep their
// size and stand in three columns 360 twips left of the window's middle.
MainWindowPlaces stretchedPlaces(QSizeF windowSize);

}  // namespace hv::layout
