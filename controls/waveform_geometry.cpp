#include "controls/waveform_geometry.h"

#include <cmath>
#include <cstdlib>

#include "core/card_document.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <immintrin.h>
#define CORVANE_X86 1
#endif

void releasePathPoints(PathPoints& path) {
    free(path.points);
    path = PathPoints{};
}

static bool reserve(PathPoints& path, uint32_t more) {
    if (path.count + more <= path.capacity) return true;
    uint32_t capacity = path.count + more;
    capacity += capacity / 2;
    auto* points = static_cast<FloatPoint*>(realloc(path.points, sizeof(FloatPoint) * capacity));
    if (!points) return false;
    path.points = points;
    path.capacity = capacity;
    return true;
}

static void addPoint(PathPoints& path, float x, float y) { path.points[path.count++] = {x, y}; }

PlotArea plotAreaOf(int32_t clientWidth, int32_t clientHeight) {
    if (clientHeight % 2 == 0) --clientHeight;
    return {1.0f, 1.0f, float(clientWidth - 2), float(clientHeight - 2)};
}

static float clampUnit(float v) { return v < -1.0f ? -1.0f : (v > 1.0f ? 1.0f : v); }

// The smallest and largest sample of a column.
static void columnRange(const float* samples, uint32_t count, float& smallest, float& largest) {
    uint32_t i = 0;
    float lo = samples[0], hi = samples[0];
#ifdef CORVANE_X86
    if (count >= 16) {
        __m128 minA = _mm_loadu_ps(samples), maxA = minA;
        __m128 minB = _mm_loadu_ps(samples + 4), maxB = minB;
        for (i = 8; i + 8 <= count; i += 8) {
            __m128 a = _mm_loadu_ps(samples + i), b = _mm_loadu_ps(samples + i + 4);
            minA = _mm_min_ps(minA, a);
            maxA = _mm_max_ps(maxA, a);
            minB = _mm_min_ps(minB, b);
            maxB = _mm_max_ps(maxB, b);
        }
        float mins[4], maxs[4];
        _mm_storeu_ps(mins, _mm_min_ps(minA, minB));
        _mm_storeu_ps(maxs, _mm_max_ps(maxA, maxB));
        lo = mins[0];
        hi = maxs[0];
        for (int k = 1; k < 4; ++k) {
            lo = mins[k] < lo ? mins[k] : lo;
            hi = maxs[k] > hi ? maxs[k] : hi;
        }
    }
#endif
    for (; i < count; ++i) {
        lo = samples[i] < lo ? samples[i] : lo;
        hi = samples[i] > hi ? samples[i] : hi;
    }
    smallest = lo;
    largest = hi;
}

VisibleRange clampRange(VisibleRange range, uint32_t count, float width, float closestPixelsPerSample) {
    if (count == 0) return {0.0, 0.0};
    const double whole = double(count);
    if (!(range.span < whole)) return wholeRange(count);  // NaN too
    double fewest = width > 0 && closestPixelsPerSample > 0 ? double(width) / closestPixelsPerSample : whole;
    if (fewest < 1.0) fewest = 1.0;
    if (range.span < fewest) range.span = fewest;
    if (range.span >= whole) return wholeRange(count);
    if (!(range.first > 0.0)) range.first = 0.0;
    if (range.first > whole - range.span) range.first = whole - range.span;
    return range;
}

// Pixels per sample, in double: sample positions of long series need more than a float's 24 bits.
static double scaleOf(const PlotArea& area, const VisibleRange& range) {
    return range.span > 0 && area.width > 0 ? double(area.width) / range.span : 1.0;
}

double pixelOfSample(const PlotArea& area, const VisibleRange& range, double sample) {
    return area.x0 + (sample - range.first) * scaleOf(area, range);
}

double sampleAtPixel(const PlotArea& area, const VisibleRange& range, double x) {
    return range.first + (x - area.x0) / scaleOf(area, range);
}

VisibleRange zoomAround(const VisibleRange& range, double x, double steps, const PlotArea& area, uint32_t count,
                        float closestPixelsPerSample) {
    const double anchor = sampleAtPixel(area, range, x);
    VisibleRange zoomed = clampRange({range.first, range.span * std::exp2(-steps)}, count, area.width,
                                     closestPixelsPerSample);
    zoomed.first = anchor - (x - area.x0) / scaleOf(area, zoomed);
    return clampRange(zoomed, count, area.width, closestPixelsPerSample);
}

VisibleRange panByPixels(const VisibleRange& range, double pixels, const PlotArea& area, uint32_t count,
                         float closestPixelsPerSample) {
    return clampRange({range.first + pixels / scaleOf(area, range), range.span}, count, area.width,
                      closestPixelsPerSample);
}

// The first and last whole sample positions inside the range, with a
// sixty-fourth of a pixel of slack so that rounding in first + span never hides
// a marker on the edge (the end marker when scrolled to the end).
static void visiblePositions(const PlotArea& area, const VisibleRange& range, double& lowest, double& highest) {
    const double slack = 1.0 / 64 / scaleOf(area, range);
    lowest = std::ceil(range.first - slack);
    highest = std::floor(range.first + range.span + slack);
}

ErrorCode buildSeriesPath(PathPoints& path, const float* samples, uint32_t count, const PlotArea& area,
                          const VisibleRange& range, bool reverse) {
    if (!reverse) path.count = 0;
    if (!samples || count == 0 || !(range.span > 0) || !(area.width >= 1)) return ErrorCode::Ok;
    const double w = area.width, scale = w / range.span;
    const float centre = area.y0 + (area.height - 1) * 0.5f;
    const float amplitude = reverse ? -area.height * 0.5f : area.height * 0.5f;
    auto yOf = [&](float minusSample) { return centre + clampUnit(minusSample) * amplitude; };
    auto xOf = [&](double sample) { return float(area.x0 + (sample - range.first) * scale); };
    const bool fromStart = !reverse && range.first <= 0;

    if (range.span <= w) {
        // The samples on the plot and one beyond each edge.
        const double lowest = std::floor(range.first), highest = std::ceil(range.first + range.span);
        if (lowest >= double(count) || highest < 0) return ErrorCode::Ok;  // an overlay shorter than the range
        const uint32_t i0 = lowest <= 0 ? 0 : uint32_t(lowest);
        const uint32_t i1 = highest >= double(count - 1) ? count - 1 : uint32_t(highest);
        const bool toEnd = i1 == count - 1;
        if (!reserve(path, i1 - i0 + 3)) return ErrorCode::OutOfMemory;
        if (fromStart) addPoint(path, area.x0, centre);
        if (reverse && toEnd) addPoint(path, xOf(count), yOf(-samples[count - 1]));
        for (uint32_t k = 0; k <= i1 - i0; ++k) {
            uint32_t i = reverse ? i1 - k : i0 + k;
            addPoint(path, xOf(i), yOf(-samples[i]));
        }
        if (!reverse && toEnd) addPoint(path, xOf(count), yOf(-samples[count - 1]));
        return ErrorCode::Ok;
    }

    // Column c holds the samples from first + c * perColumn up to the next column's first.
    const double perColumn = range.span / w;
    const uint32_t columns = uint32_t(std::ceil(w));
    if (!reserve(path, 2 * columns + 1)) return ErrorCode::OutOfMemory;
    if (fromStart) addPoint(path, area.x0, centre);
    for (uint32_t k = 0; k < columns; ++k) {
        const uint32_t c = reverse ? columns - 1 - k : k;
        const double from = range.first + double(c) * perColumn, to = range.first + double(c + 1) * perColumn;
        if (from >= double(count) || to <= 0) continue;
        const uint32_t i0 = from <= 0 ? 0 : uint32_t(from);
        uint32_t i1 = to >= double(count) ? count : uint32_t(to);
        if (i1 <= i0) i1 = i0 + 1;
        float lo, hi;
        columnRange(samples + i0, i1 - i0, lo, hi);
        // Of -s: the smallest is -largest, the largest is -smallest.
        const float x = area.x0 + float(c), yFirst = yOf(-hi), ySecond = yOf(-lo);
        addPoint(path, x, yFirst);
        if (std::fabs(ySecond - yFirst) > 0.5f) addPoint(path, x, ySecond);
    }
    return ErrorCode::Ok;
}

int32_t clampMarkerPosition(int32_t position, int32_t minimum, int32_t maximum) {
    if (minimum >= 0 && position < minimum) position = minimum;
    if (maximum >= 0 && position > maximum) position = maximum;
    return position;
}

int32_t dragPosition(const PlotArea& area, const VisibleRange& range, uint32_t count, double x) {
    double lowest, highest;
    visiblePositions(area, range, lowest, highest);
    if (highest > double(count)) highest = double(count);
    if (highest > double(INT32_MAX)) highest = double(INT32_MAX);
    if (lowest < 0) lowest = 0;
    double sample = std::round(sampleAtPixel(area, range, x));  // half away from zero
    if (!(sample >= lowest)) sample = lowest;                     // NaN too
    if (sample > highest) sample = highest;
    return int32_t(sample);
}

int32_t markerKeyStep(bool control, bool shift) {
    constexpr int32_t kSamplesPerSecond = int32_t(kWorkingSampleRate);
    if (shift) return (kSamplesPerSecond * 10 + 500) / 1000;
    if (control) return (kSamplesPerSecond + 500) / 1000;
    return 1;
}

int32_t keyedMarkerPosition(int32_t position, MarkerKey key, int32_t step, uint32_t presses, uint32_t count,
                            int32_t minimum, int32_t maximum) {
    int64_t target = position;
    const int64_t distance = int64_t(step) * presses;
    switch (key) {
    case MarkerKey::Back: target -= distance; break;
    case MarkerKey::On: target += distance; break;
    case MarkerKey::First: target = 0; break;
    case MarkerKey::Last: target = count; break;
    }
    const int64_t last = count > uint32_t(INT32_MAX) ? INT32_MAX : int64_t(count);
    if (target < 0) target = 0;
    if (target > last) target = last;
    return clampMarkerPosition(int32_t(target), minimum, maximum);
}

void placeMarkers(MarkerPlacement* markers, uint32_t count, const PlotArea& area, const VisibleRange& range) {
    const float x0 = area.x0, w = area.width;
    double lowest, highest;
    visiblePositions(area, range, lowest, highest);
    for (uint32_t i = 0; i < count; ++i) {
        MarkerPlacement& m = markers[i];
        m.shown = m.placed && double(m.position) >= lowest && double(m.position) <= highest;
        if (!m.shown) continue;
        float line = float(std::floor(pixelOfSample(area, range, m.position)));
        if (line < x0 + 1) line = x0 + 1;
        if (line > x0 + w - 1) line = x0 + w - 1;
        m.lineX = line;
    }
    for (uint32_t i = 0; i < count; ++i) {
        MarkerPlacement& m = markers[i];
        if (!m.shown) continue;
        const float line = m.lineX, size = m.handleSize;
        const float half = std::trunc(size * 0.5f);
        float lo = x0, hi = x0 + w;
        bool laterShares = false, earlierShares = false;
        for (uint32_t j = 0; j < count; ++j) {
            const MarkerPlacement& other = markers[j];
            if (j == i || !other.shown) continue;
            if (other.lineX == line) {
                (j > i ? laterShares : earlierShares) = true;
            } else if (lo < other.lineX && other.lineX < line) {
                lo = other.lineX + other.handleSize * 0.5f;
            } else if (line < other.lineX && other.lineX < hi) {
                hi = std::trunc(other.lineX - other.handleSize * 0.5f);
            }
        }
        float roomLeft = line - lo, roomRight = hi - line;
        bool pushRight = (half > roomLeft || earlierShares) && !laterShares;
        bool pushLeft = (half > roomRight || laterShares) && !earlierShares;
        if ((pushRight && !pushLeft) || (pushRight && pushLeft && roomLeft < roomRight))
            m.handleX = x0 > line - 1 ? x0 : line - 1;
        else if ((pushLeft && !pushRight) || (pushRight && pushLeft && roomRight < roomLeft))
            m.handleX = (x0 + w - size - 1) < (line - size + 1) ? (x0 + w - size - 1) : (line - size + 1);
        else
            m.handleX = std::floor(line - half + 1);
    }
}

int32_t markerAtPoint(const MarkerPlacement* markers, uint32_t count, const PlotArea& area, float x, float y,
                      float reach) {
    for (uint32_t i = 0; i < count; ++i) {
        const MarkerPlacement& m = markers[i];
        if (m.shown && m.handleX <= x && x <= m.handleX + m.handleSize && y <= area.y0 + m.handleSize)
            return int32_t(i);
    }
    // Distances between the pointer's pixel and the line's two, centre to centre.
    int32_t found = -1;
    float nearest = 0, nearestHandle = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const MarkerPlacement& m = markers[i];
        if (!m.shown) continue;
        const float distance = std::fabs(x + 0.5f - (m.lineX + 1));
        const float handle = std::fabs(x + 0.5f - (m.handleX + m.handleSize * 0.5f));
        if (distance > reach + 0.5f) continue;
        if (found < 0 || distance < nearest || (distance == nearest && handle < nearestHandle)) {
            found = int32_t(i);
            nearest = distance;
            nearestHandle = handle;
        }
    }
    return found;
}
