#pragma once
// A point of the drawing plane. The unit is the caller's: drawing units for drawings,
// paths and views, model units in the 3-D code.
namespace wirvela {

struct Point2d {
    double x = 0.0;
    double y = 0.0;

    friend bool operator==(const Point2d&, const Point2d&) = default;
};

}  // namespace wirvela
