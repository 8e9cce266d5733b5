#pragma once
#include <cstdint>

#include "core/error_code.h"

// The waveform view's arithmetic: the outline of a series of samples as a
// list of points, the horizontal scale, and the placement of the markers.

struct FloatPoint {
    float x, y;
};

// A growable list of points (storage taken with malloc, released by the owner).
struct PathPoints {
    FloatPoint* points;
    uint32_t count;
    uint32_t capacity;
};
void releasePathPoints(PathPoints& path);

struct PlotArea {
    float x0, y0, width, height;
};

// The plot area of a client rectangle: a 1-pixel border taken off, and an even
// height made odd first so that the centre line falls on a pixel row.
PlotArea plotAreaOf(int32_t clientWidth, int32_t clientHeight);

// The outline of a series: one point per sample while there are no more
// samples than pixels, else the smallest and largest of each column (two
// points at most per column). Forward mode starts afresh at the left edge on
// the centre line; reverse mode continues from the last point, from the last
// sample to the first, upside down (to close a filled shape).
ErrorCode buildSeriesPath(PathPoints& path, const float* samples, uint32_t count, const PlotArea& area, bool reverse);

// Plot width per sample (1 when there are no samples).
float pixelsPerSampleOf(const PlotArea& area, uint32_t count);

// A marker's position limited to its minimum and maximum (a negative limit is none).
int32_t clampMarkerPosition(int32_t position, int32_t minimum, int32_t maximum);

// The sample under x during a drag: rounded half away from zero, within 0 .. count.
int32_t sampleAtX(float x, float pixelsPerSample, uint32_t count);

// Marker lines and the squares that carry their labels.
struct MarkerPlacement {
    bool placed;
    int32_t position;
    float handleSize;  // input: the label's size
    float lineX;       // output
    float handleX;     // output
};
void placeMarkers(MarkerPlacement* markers, uint32_t count, const PlotArea& area, float pixelsPerSample);
