#pragma once

#include <QRect>
#include <cmath>

// Layouts are designed in twips (1/1440 inch); Qt places widgets in
// device-independent pixels of 1/96 inch, so one pixel is 15 twips.
namespace hv::twips {

inline constexpr double kPerPixel = 15.0;
inline constexpr double kPerInch = 1440.0;
inline constexpr double kPerPoint = 20.0;

inline int toPixels(double twips)
{
    return static_cast<int>(std::lround(twips / kPerPixel));
}

inline double fromPixels(int pixels)
{
    return pixels * kPerPixel;
}

// Twips in the units of a device of a resolution (dots per inch): printers,
// PDF files and page images each have their own.
inline double atResolution(double twips, double dotsPerInch)
{
    return twips * dotsPerInch / kPerInch;
}

inline QRect rect(double left, double top, double width, double height)
{
    return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
}

}  // namespace hv::twips
