#include "controls/waveform_geometry.h"

#include <cmath>
#include <cstdlib>

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

ErrorCode buildSeriesPath(PathPoints& path, const float* samples, uint32_t count, const PlotArea& area, bool reverse) {
    if (!reverse) path.count = 0;
    const float w = area.width;
    const float centre = area.y0 + (area.height - 1) * 0.5f;
    const float amplitude = reverse ? -area.height * 0.5f : area.height * 0.5f;
    auto yOf = [&](float minusSample) { return centre + clampUnit(minusSample) * amplitude; };
    if (count == 0) return ErrorCode::Ok;

    if (float(count) <= w) {
        if (!reserve(path, count + 2)) return ErrorCode::OutOfMemory;
        if (!reverse) addPoint(path, area.x0, centre);
        if (count == 1) {
            // One sample: a level line across the plot.
            float y = yOf(-samples[0]);
            addPoint(path, reverse ? area.x0 + w : area.x0, y);
            addPoint(path, reverse ? area.x0 : area.x0 + w, y);
            return ErrorCode::Ok;
        }
        for (uint32_t i = 0; i < count; ++i) {
            float step = float(i) * w / float(count - 1);
            float s = reverse ? samples[count - 1 - i] : samples[i];
            addPoint(path, reverse ? area.x0 + w - step : area.x0 + step, yOf(-s));
        }
        return ErrorCode::Ok;
    }

    float k = std::nearbyint(float(count) / w + 0.5f);  // ties to even
    uint32_t perColumn = k < 1 ? 1 : uint32_t(k);
    uint32_t columns = (count + perColumn - 1) / perColumn;
    if (!reserve(path, 2 * columns + 1)) return ErrorCode::OutOfMemory;
    if (!reverse) addPoint(path, area.x0, centre);
    for (uint32_t j = 0; j < columns; ++j) {
        uint32_t first = j * perColumn;
        uint32_t length = count - first < perColumn ? count - first : perColumn;
        const float* column = reverse ? samples + (count - first - length) : samples + first;
        float lo, hi;
        columnRange(column, length, lo, hi);
        // Of -s: the smallest is -largest, the largest is -smallest.
        float step = columns > 1 ? float(j) * w / float(columns - 1) : 0.0f;
        float x = reverse ? area.x0 + w - step : area.x0 + step;
        float yFirst = yOf(-hi), ySecond = yOf(-lo);
        addPoint(path, x, yFirst);
        if (std::fabs(ySecond - yFirst) > 0.5f) addPoint(path, x, ySecond);
    }
    return ErrorCode::Ok;
}

float pixelsPerSampleOf(const PlotArea& area, uint32_t count) { return count ? area.width / float(count) : 1.0f; }

int32_t clampMarkerPosition(int32_t position, int32_t minimum, int32_t maximum) {
    if (minimum >= 0 && position < minimum) position = minimum;
    if (maximum >= 0 && position > maximum) position = maximum;
    return position;
}

int32_t sampleAtX(float x, float pixelsPerSample, uint32_t count) {
    double sample = std::round(double(x) / double(pixelsPerSample));  // half away from zero
    if (sample < 0) return 0;
    if (sample > double(count)) return int32_t(count);
    return int32_t(sample);
}

void placeMarkers(MarkerPlacement* markers, uint32_t count, const PlotArea& area, float pixelsPerSample) {
    const float x0 = area.x0, w = area.width;
    for (uint32_t i = 0; i < count; ++i) {
        MarkerPlacement& m = markers[i];
        if (!m.placed) continue;
        float line = std::floor(pixelsPerSample * float(m.position) + x0);
        if (line < x0 + 1) line = x0 + 1;
        if (line > x0 + w - 1) line = x0 + w - 1;
        m.lineX = line;
    }
    for (uint32_t i = 0; i < count; ++i) {
        MarkerPlacement& m = markers[i];
        if (!m.placed) continue;
        const float line = m.lineX, size = m.handleSize;
        const float half = std::trunc(size * 0.5f);
        float lo = x0, hi = x0 + w;
        bool laterShares = false, earlierShares = false;
        for (uint32_t j = 0; j < count; ++j) {
            const MarkerPlacement& other = markers[j];
            if (j == i || !other.placed) continue;
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
