#pragma once
#include <cstdint>

#include "core/error_code.h"

// The waveform view's arithmetic: which samples are shown (the zoom), pixel
// and sample positions at that zoom, the outline of a series as a list of
// points, and the placement and grabbing of the markers.

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

// The samples across the plot: sample `first` at its left edge and `span`
// samples over its width. Both are fractional, so that zooming keeps the
// sample under the pointer to the pixel and panning moves by whole pixels.
// Sample i lies at x = x0 + (i - first) * width / span; a marker at position
// p is drawn on the line of sample p, and position `count` ends the series.
struct VisibleRange {
    double first;
    double span;
};

inline VisibleRange wholeRange(uint32_t count) { return {0.0, double(count)}; }
inline bool isWholeRange(const VisibleRange& range, uint32_t count) {
    return range.first <= 0.0 && range.span >= double(count);
}
inline bool sameRange(const VisibleRange& a, const VisibleRange& b) { return a.first == b.first && a.span == b.span; }

// A range kept within the series: at least the samples that fill the width at
// `closestPixelsPerSample` (or the whole series when it is shorter), at most
// the whole series, and never before sample 0 or past the end.
VisibleRange clampRange(VisibleRange range, uint32_t count, float width, float closestPixelsPerSample);

// Pixel <-> sample at a zoom (fractional both ways).
double pixelOfSample(const PlotArea& area, const VisibleRange& range, double sample);
double sampleAtPixel(const PlotArea& area, const VisibleRange& range, double x);

// Zoom in by `steps` (each halves the span; negative steps zoom out) keeping
// the sample under x at x, unless the clamp must move it.
VisibleRange zoomAround(const VisibleRange& range, double x, double steps, const PlotArea& area, uint32_t count,
                        float closestPixelsPerSample);
// Moves the samples `pixels` to the left (towards the end of the series when positive).
VisibleRange panByPixels(const VisibleRange& range, double pixels, const PlotArea& area, uint32_t count,
                         float closestPixelsPerSample);

// The outline of the visible part of a series: one point per sample while no
// more samples than pixels are visible (with the neighbours beyond either
// edge, so that the line runs on to the clip), else the smallest and largest
// of the samples in each pixel column (two points at most per column); the
// visible part of a long series is all that is read. The last sample holds its
// level to the end of the series. Forward mode starts afresh, on the centre
// line when the range begins at sample 0; reverse mode continues from the
// last point, from the last sample to the first, upside down (to close a
// filled shape).
ErrorCode buildSeriesPath(PathPoints& path, const float* samples, uint32_t count, const PlotArea& area,
                          const VisibleRange& range, bool reverse);

// A marker's position limited to its minimum and maximum (a negative limit is none).
int32_t clampMarkerPosition(int32_t position, int32_t minimum, int32_t maximum);

// The position a drag puts a marker at with its line at x: the nearest sample,
// rounded half away from zero, within the visible samples (so a marker pulled
// beyond the plot waits at its edge) and within 0 .. count.
int32_t dragPosition(const PlotArea& area, const VisibleRange& range, uint32_t count, double x);

// The keys that move the selected marker: back and on by a step, or to the
// first or the last position of the series.
enum class MarkerKey { Back, On, First, Last };
// A step of the arrow keys in samples: one; with Ctrl a millisecond, with
// Shift (and Ctrl+Shift) ten, at the working rate of 37908 Hz. Steps are whole
// samples, rounded to the nearest: 38 and 379.
int32_t markerKeyStep(bool control, bool shift);
// Where `presses` presses of a key (a held key repeats) put a marker that is at
// `position`: kept within 0 .. count and then within its limits.
int32_t keyedMarkerPosition(int32_t position, MarkerKey key, int32_t step, uint32_t presses, uint32_t count,
                            int32_t minimum, int32_t maximum);

// Marker lines and the squares that carry their labels.
struct MarkerPlacement {
    bool placed;       // input: the marker has a position
    int32_t position;  // input
    float handleSize;  // input: the label's size
    bool shown;        // output: placed and within the visible range
    float lineX;       // output: left column of the 2-pixel line
    float handleX;     // output
};
void placeMarkers(MarkerPlacement* markers, uint32_t count, const PlotArea& area, const VisibleRange& range);

// The marker to grab at (x, y): the first whose handle holds the point, else
// the one whose line is nearest, at most `reach` pixels either side of it
// (between lines shared by two markers, the one whose handle is nearer);
// -1 for none.
int32_t markerAtPoint(const MarkerPlacement* markers, uint32_t count, const PlotArea& area, float x, float y,
                      float reach);
