#pragma once

#include <QPoint>
#include <QSize>

namespace lorvane {

// Every thumbnail is this many pixels wide; elongated images sit on a square canvas of this side.
inline constexpr int kThumbnailSide = 140;

// From this ratio of the longer to the shorter side on, an image counts as elongated.
inline constexpr double kElongatedRatio = 1.8;

// Where an image of a given size ends up in its thumbnail.
//
// Ratio below 1.8: scaled to 140 wide, as high as the proportion gives (a portrait photo is
// taller than 140), no canvas. Ratio 1.8 or more: the longer side becomes 140 and the picture is
// centred on a white 140 x 140 canvas. Every fractional pixel value is rounded to the nearest
// integer, halves to the even one, so a 300 x 100 picture is 47 high and sits at y 46.
struct ThumbnailGeometry {
    QSize scaledSize;  // the image's own pixels after scaling
    QSize canvasSize;  // the thumbnail: scaledSize, or 140 x 140 for an elongated image
    QPoint offset;     // top-left of the scaled image on the canvas
    bool hasCanvas = false;
};

// imageSize: the image as it is shown (after any orientation tag is applied). Sizes that are
// not valid or empty give a geometry with empty sizes. A side that would scale to less than one
// pixel (a 10000 x 1 strip) is kept at one pixel.
ThumbnailGeometry ThumbnailGeometryFor(QSize imageSize);

// Nearest integer, halves to the even integer (2.5 -> 2, 3.5 -> 4, -0.5 -> 0).
int RoundHalfEven(double value);

}  // namespace lorvane
