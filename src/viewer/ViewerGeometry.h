#pragma once

#include <QRect>
#include <QSize>

namespace lorvane {

// Window arithmetic of the viewer, in twips as the viewer's design is written
// (1440 twips per logical inch; 15 per pixel at 96 DPI).
struct TwipsPerPixel {
    double x = 15.0;
    double y = 15.0;
};

namespace viewerDesign {
constexpr int kToolbarHeight = 495;
constexpr int kImageAreaTop = 570;
constexpr int kMinImageAreaWidth = 6000;  // narrower images get the wide area below
constexpr int kWideImageAreaWidth = 7590;
constexpr int kLowImageAreaHeight = 4000;  // for images under 100 pixels high
constexpr int kLowImagePixels = 100;
constexpr int kImageAreaExtraHeight = 200;
constexpr int kWindowExtraHeight = 1400;  // title, menu, status bar around a tall image
constexpr int kLowWindowExtraHeight = 600;
constexpr int kLayoutReservedHeight = 600;  // outer height not given to bar or image area
constexpr int kCreatedClientWidth = 7710;
constexpr int kCreatedClientHeight = 7680;
constexpr int kCreatedLeft = 2010;
constexpr int kCreatedTop = 2280;
}  // namespace viewerDesign

enum class WindowShowState { Normal, Minimized, Maximized };

// How the viewer sizes its window around a newly shown image. When the window is minimised or
// maximised only the layout runs; otherwise the window takes `windowSize` and, when `centre`,
// moves to `topLeft`.
struct ImageWindowPlan {
    QSize imageArea;  // twips
    bool resizeWindow = false;
    QSize windowSize;  // outer, twips
    QPoint topLeft;    // outer, twips (may be negative for a window larger than the screen)
};

ImageWindowPlan PlanWindowForImage(QSize imagePixels, TwipsPerPixel tpp, int toolbarHeight,
                                   WindowShowState state, QSize screenTwips);

// A large image is shown whole: when it is wider AND higher than the window (outer size, twips)
// the zoom becomes the smaller of the image area's two ratios (area / image, width and height),
// so that no side is cut off whatever the screen's shape. Otherwise, or while the area is
// empty, `currentZoom` stays.
double FitZoom(QSize imagePixels, TwipsPerPixel tpp, QSize windowOuterTwips, QSize imageAreaPixels,
               double currentZoom);

// One zoom step, or the same zoom when the limit was already passed. The limits are tested
// before the step, so the last step may pass them.
double ZoomInStep(double zoom);
double ZoomOutStep(double zoom);

// Mouse mode 3 while the zoomed image fits the window in both directions, 2 otherwise.
// Compared in single precision, as the window arithmetic was designed.
int MouseToolFor(double zoom, QSize imagePixels, TwipsPerPixel tpp, QSize windowOuterTwips);

// The viewer's layout for an outer window size: image area and button bar, twips. The bar's
// height is subtracted also while the bar is hidden (full screen).
struct ViewerLayout {
    int imageAreaWidth = 0;
    int imageAreaHeight = 0;
    int toolbarWidth = 0;
};
ViewerLayout LayoutForWindow(QSize windowOuterTwips, int toolbarHeight);

// Where the layout puts the image area, in pixels: the size of LayoutForWindow, kept inside the
// client area below the area's fixed top (past it the status bar would cover the image).
QSize ImageAreaPixels(QSize windowOuterTwips, QSize clientPixels, int toolbarHeight,
                      TwipsPerPixel tpp);

}  // namespace lorvane
