#include "viewer/ViewerGeometry.h"

#include <algorithm>
#include <cmath>

namespace lorvane {

using namespace viewerDesign;

namespace {
int toTwipsX(int pixels, TwipsPerPixel tpp) {
    return static_cast<int>(std::lround(pixels * tpp.x));
}
int toTwipsY(int pixels, TwipsPerPixel tpp) {
    return static_cast<int>(std::lround(pixels * tpp.y));
}
}  // namespace

ImageWindowPlan PlanWindowForImage(QSize imagePixels, TwipsPerPixel tpp, int toolbarHeight,
                                   WindowShowState state, QSize screenTwips) {
    ImageWindowPlan plan;
    const bool lowImage = imagePixels.height() < kLowImagePixels;
    int areaWidth = toTwipsX(imagePixels.width(), tpp);
    int areaHeight = toTwipsY(imagePixels.height(), tpp) + kImageAreaExtraHeight;
    if (areaWidth < kMinImageAreaWidth)
        areaWidth = kWideImageAreaWidth;
    if (lowImage)
        areaHeight = kLowImageAreaHeight;
    plan.imageArea = QSize(areaWidth, areaHeight);

    if (state != WindowShowState::Normal)
        return plan;
    plan.resizeWindow = true;
    const int windowHeight =
        lowImage ? areaHeight + kLowWindowExtraHeight
                 : toolbarHeight + toTwipsY(imagePixels.height(), tpp) + kWindowExtraHeight;
    plan.windowSize = QSize(areaWidth, windowHeight);
    plan.topLeft =
        QPoint((screenTwips.width() - areaWidth) / 2, (screenTwips.height() - windowHeight) / 2);
    return plan;
}

double FitZoom(QSize imagePixels, TwipsPerPixel tpp, QSize windowOuterTwips, QSize imageAreaPixels,
               double currentZoom) {
    const double widthTwips = imagePixels.width() * tpp.x;
    const double heightTwips = imagePixels.height() * tpp.y;
    if (!(widthTwips > windowOuterTwips.width() && heightTwips > windowOuterTwips.height()))
        return currentZoom;
    if (imageAreaPixels.isEmpty())
        return currentZoom;
    // Dividing by the width alone fitted only screens of the image's own shape: a 4:3 photo on
    // a 16:9 screen came out taller than the screen.
    return std::min(double(imageAreaPixels.width()) / imagePixels.width(),
                    double(imageAreaPixels.height()) / imagePixels.height());
}

double ZoomInStep(double zoom) {
    return zoom * 100 > 1600 ? zoom : zoom * 1.25;
}

double ZoomOutStep(double zoom) {
    return zoom * 100 < 0.5 ? zoom : zoom * 0.75;
}

int MouseToolFor(double zoom, QSize imagePixels, TwipsPerPixel tpp, QSize windowOuterTwips) {
    const auto zoomedWidth = static_cast<float>(zoom * imagePixels.width() * tpp.x);
    const auto zoomedHeight = static_cast<float>(zoom * imagePixels.height() * tpp.y);
    const bool fits = zoomedWidth <= static_cast<float>(windowOuterTwips.width()) &&
                      zoomedHeight <= static_cast<float>(windowOuterTwips.height());
    return fits ? 3 : 2;
}

ViewerLayout LayoutForWindow(QSize windowOuterTwips, int toolbarHeight) {
    ViewerLayout layout;
    layout.imageAreaWidth = windowOuterTwips.width();
    layout.imageAreaHeight = windowOuterTwips.height() - toolbarHeight - kLayoutReservedHeight;
    layout.toolbarWidth = windowOuterTwips.width();
    return layout;
}

QSize ImageAreaPixels(QSize windowOuterTwips, QSize clientPixels, int toolbarHeight,
                      TwipsPerPixel tpp) {
    const ViewerLayout layout = LayoutForWindow(windowOuterTwips, toolbarHeight);
    const int top = static_cast<int>(kImageAreaTop / tpp.y);
    const int width =
        std::min(static_cast<int>(layout.imageAreaWidth / tpp.x), clientPixels.width());
    const int height = std::max(
        0, std::min(static_cast<int>(layout.imageAreaHeight / tpp.y), clientPixels.height() - top));
    return QSize(std::max(0, width), height);
}

}  // namespace lorvane
