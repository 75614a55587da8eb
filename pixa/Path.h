// Shapes as point lists in canvas pixels (y down; column c spans x from c to c + 1). Strokes grow an
// outline at both ends, so the list takes insertions at the front and the back.
#pragma once

#include <deque>

namespace Pixa {

struct Point {
    float x, y;
};

using Path = std::deque<Point>;

// The closed outline of the stroked source path, appended to outline. Nothing for a path of one point
// (or of points closer than 1e-10 to the first).
void strokePath(Path& outline, float width, bool roundCaps, const Path& source);
// The cap at p of a stroke going on towards q: two points (butt) or a half circle (round).
void appendCap(Path& outline, float width, bool round, Point p, Point q);
// The join at p1: a bevel outside the bend, one trimmed point inside. False for a degenerate segment.
bool appendJoin(Path& outline, float width, Point p0, Point p1, Point p2);
// A circular arc; angle 0 points up and grows clockwise; chords of at most a quarter pixel.
void appendArc(Path& path, float radius, float start, float end, float cx, float cy);
// The arc leaving p0 towards p1 and reaching p2 from p1, without its end points.
void appendRoundCorner(Path& path, Point p0, Point p1, Point p2);

}  // namespace Pixa
