// Points and rectangles of a map view, in pixels: what the scene says and each toolkit paints.
#pragma once

#include <algorithm>

namespace map_scene {

struct Point {
    double x = 0;
    double y = 0;
    friend Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
    friend Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
    friend Point operator*(Point a, double k) { return {a.x * k, a.y * k}; }
    friend bool operator==(Point, Point) = default;
};

struct Size {
    double width = 0;
    double height = 0;
};

struct Rect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    double Right() const { return left + width; }
    double Bottom() const { return top + height; }
    Point Centre() const { return {left + width / 2, top + height / 2}; }
    bool Valid() const { return width > 0 && height > 0; }
    bool Contains(Point p) const {
        return p.x >= left && p.x <= Right() && p.y >= top && p.y <= Bottom();
    }
    bool Intersects(const Rect& o) const {
        return Valid() && o.Valid() && left < o.Right() && o.left < Right() && top < o.Bottom() &&
               o.top < Bottom();
    }
    // Grown by the margins (shrunk when they are negative), like the toolkits' own.
    Rect Adjusted(double dLeft, double dTop, double dRight, double dBottom) const {
        return {left + dLeft, top + dTop, width - dLeft + dRight, height - dTop + dBottom};
    }
    Rect Translated(Point by) const { return {left + by.x, top + by.y, width, height}; }
};

// A colour as the toolkits take it: red, green, blue, 0 to 255.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(Rgb, Rgb) = default;
};

}  // namespace map_scene
