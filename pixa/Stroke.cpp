#include <cmath>

#include "pixa/Path.h"

namespace Pixa {

namespace {

constexpr float degenerateLength = 1e-10f;

Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
Point operator*(Point a, float k) { return {a.x * k, a.y * k}; }
float length(Point a) { return std::sqrt(a.x * a.x + a.y * a.y); }

// Where the line a + s * da meets the line b + r * db, when both parameters lie strictly inside 0..1.
bool meetWithin(Point a, Point da, Point b, Point db, Point& at)
{
    const float denominator = da.y * db.x - da.x * db.y;
    if (denominator == 0.0f)
        return false;
    const Point ab = b - a;
    const float s = (ab.y * db.x - ab.x * db.y) / denominator;
    const float r = (ab.y * da.x - ab.x * da.y) / denominator;
    if (!(s > 0.0f && s < 1.0f && r > 0.0f && r < 1.0f))
        return false;
    at = a + da * s;
    return true;
}

void subdivide(Path& path, Point p0, Point p1, Point p2, float theta)
{
    const float flat = std::fabs((p0.x + p2.x) / 2 - p1.x) + std::fabs((p0.y + p2.y) / 2 - p1.y);
    const float half = theta / 2;
    const float w = std::cos(std::fabs(half));
    const Point q = (p0 + p1 * w) * (1.0f / (1.0f + w));
    const Point r = (p2 + p1 * w) * (1.0f / (1.0f + w));
    const Point m = (q + r) * 0.5f;
    if (flat > 1.0f) {
        subdivide(path, p0, q, m, half);
        path.push_back(m);
        subdivide(path, m, r, p2, half);
    } else {
        path.push_back(m);
    }
}

Point arcPoint(float radius, float angle, float cx, float cy)
{
    return {cx + radius * std::sin(angle), cy - radius * std::cos(angle)};
}

}  // namespace

void strokePath(Path& outline, float width, bool roundCaps, const Path& source)
{
    if (source.empty())
        return;
    const Point p0 = source.front();
    auto next = source.begin() + 1;
    while (next != source.end() && length(*next - p0) < degenerateLength)
        ++next;
    if (next == source.end())
        return;
    appendCap(outline, width, roundCaps, p0, *next);
    Point a = p0, b = *next;
    for (++next; next != source.end(); ++next) {
        if (appendJoin(outline, width, a, b, *next))
            a = b;
        b = *next;
    }
    appendCap(outline, width, roundCaps, b, a);
    outline.push_back(outline.front());
}

void appendCap(Path& outline, float width, bool round, Point p, Point q)
{
    const Point d = q - p;
    const float l = length(d);
    const float hw = width * 0.5f;
    const Point n = Point{-d.y, d.x} * (hw / l);
    const Point t = d * (hw / l);
    if (!round) {
        outline.push_back(p - n);
        outline.push_back(p + n);
        return;
    }
    appendRoundCorner(outline, p - n, p - n - t, p - t);
    appendRoundCorner(outline, p - t, p + n - t, p + n);
}

bool appendJoin(Path& outline, float width, Point p0, Point p1, Point p2)
{
    const Point d1 = p1 - p0, d2 = p2 - p1;
    const float l1 = length(d1), l2 = length(d2);
    if (l1 < degenerateLength || l2 < degenerateLength)
        return false;
    const float hw = width * 0.5f;
    const Point na = Point{-d1.y, d1.x} * (hw / l1);
    const Point nb = Point{-d2.y, d2.x} * (hw / l2);
    Point at;
    if (meetWithin(p0 + na, d1, p1 + nb, d2, at)) {
        outline.push_back(at);
    } else {
        outline.push_back(p1 + na);
        outline.push_back(p1 + nb);
    }
    if (meetWithin(p0 - na, d1, p1 - nb, d2, at)) {
        outline.push_front(at);
    } else {
        outline.push_front(p1 - na);
        outline.push_front(p1 - nb);
    }
    return true;
}

void appendArc(Path& path, float radius, float start, float end, float cx, float cy)
{
    const float sweep = end - start;
    const Point first = arcPoint(radius, start, cx, cy);
    int n = 2;
    // A sweep of NaN or infinity would never flatten; the count stops where chords are surely short.
    while (n < (1 << 20) && length(arcPoint(radius, start + sweep / static_cast<float>(n), cx, cy) - first) > 0.25f)
        n *= 2;
    for (int i = 0; i < n; ++i)
        path.push_back(arcPoint(radius, start + sweep * static_cast<float>(i) / static_cast<float>(n), cx, cy));
    path.push_back(arcPoint(radius, end, cx, cy));
}

void appendRoundCorner(Path& path, Point p0, Point p1, Point p2)
{
    const Point u = p1 - p0, v = p2 - p1;
    const float lu = length(u), lv = length(v);
    if (lu * lv < 0.001f) {
        path.push_back(p1);
        return;
    }
    const float cosine = (u.x * v.x + u.y * v.y) / (lu * lv);
    const float theta = std::acos(std::fmax(-1.0f, std::fmin(1.0f, cosine)));
    subdivide(path, p0, p1, p2, theta);
}

}  // namespace Pixa
