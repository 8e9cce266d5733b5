#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "controls/waveform_geometry.h"

namespace {

struct Path {
    PathPoints points = {};
    ~Path() { releasePathPoints(points); }
    const FloatPoint& operator[](uint32_t i) const { return points.points[i]; }
    const FloatPoint& last() const { return points.points[points.count - 1]; }
};

constexpr PlotArea kPlot = {1, 1, 418, 119};  // a 420 x 120 view
constexpr float kClosest = 8;                  // pixels per sample at the closest zoom
constexpr uint32_t kLong = 3600000;

// A marker with a 13-pixel label.
MarkerPlacement marker(int32_t position, bool placed = true) { return {placed, position, 13, false, 0, 0}; }

}  // namespace

TEST(PlotArea, TakesTheBorderOffAndKeepsTheCentreOnARow) {
    auto fields = [](const PlotArea& a) { return std::make_tuple(a.x0, a.y0, a.width, a.height); };
    EXPECT_EQ(fields(plotAreaOf(420, 120)), std::make_tuple(1.0f, 1.0f, 418.0f, 117.0f));  // 120 made odd first
    EXPECT_EQ(plotAreaOf(420, 121).height, 119);
}

TEST(SeriesPath, WholeSeriesOnePointPerSampleUpToThePlotWidthThenColumns) {
    std::vector<float> s(418);
    for (uint32_t i = 0; i < 418; ++i) s[i] = std::sin(0.1f * i) * 0.8f;
    Path path;
    ASSERT_EQ(buildSeriesPath(path.points, s.data(), 418, kPlot, wholeRange(418), false), ErrorCode::Ok);
    ASSERT_EQ(path.points.count, 1u + 418 + 1);
    EXPECT_EQ(path[0].x, 1);
    EXPECT_EQ(path[0].y, 60);  // the centre line: 1 + 118 / 2
    EXPECT_FLOAT_EQ(path[1 + 16].y, 60 - std::sin(1.6f) * 0.8f * 59.5f);
    EXPECT_EQ(path[418].x, 418);  // the last sample, a pixel before the end of the series
    EXPECT_EQ(path[419].x, 419);  // which holds its level
    EXPECT_EQ(path[419].y, path[418].y);

    // One more sample: columns of at most two points each, however long the series.
    for (uint32_t n : {419u, 10000u, kLong}) {
        s.resize(n);
        for (uint32_t i = 0; i < n; ++i) s[i] = std::sin(0.37f * i);
        ASSERT_EQ(buildSeriesPath(path.points, s.data(), n, kPlot, wholeRange(n), false), ErrorCode::Ok);
        EXPECT_LE(path.points.count, 1u + 2 * 418) << n;
        EXPECT_GT(path.points.count, 400u) << n;
    }
}

TEST(SeriesPath, EachPixelColumnHoldsTheSmallestAndLargestOfItsSamples) {
    PlotArea a = {1, 1, 50, 101};
    std::vector<float> s(1000, 0.0f);
    s[513] = 0.5f;   // column 25 (samples 500 to 519) reaches up
    s[509] = -2.0f;  // and down, clamped to the border
    Path path;
    ASSERT_EQ(buildSeriesPath(path.points, s.data(), 1000, a, wholeRange(1000), false), ErrorCode::Ok);
    EXPECT_EQ(path.points.count, 1u + 50 + 1);
    EXPECT_EQ(path.last().x, 50);
    const FloatPoint* up = nullptr;
    for (uint32_t i = 0; i < path.points.count; ++i)
        if (path[i].y < 50) up = &path[i];
    ASSERT_NE(up, nullptr);
    EXPECT_EQ(up->x, 26);
    EXPECT_FLOAT_EQ(up->y, 51 - 0.5f * 50.5f);
    EXPECT_FLOAT_EQ((up + 1)->y, 51 + 50.5f);  // the same column, down to the clamp
    EXPECT_EQ(up->x, (up + 1)->x);
}

// Every sample outside the visible ones is full scale: a point off the
// centre line would show that the path read them.
TEST(SeriesPath, AZoomedPathReadsOnlyTheVisibleSamples) {
    PlotArea a = {1, 1, 50, 101};
    std::vector<float> s(100000, 1.0f);
    for (uint32_t i = 40000; i < 41000; ++i) s[i] = 0.0f;
    Path path;
    auto allOnTheCentreLine = [&] {
        for (uint32_t i = 0; i < path.points.count; ++i)
            if (path[i].y != 51) return false;
        return true;
    };
    // 20 samples a column, no start on the centre line: the range begins later.
    ASSERT_EQ(buildSeriesPath(path.points, s.data(), 100000, a, {40000, 1000}, false), ErrorCode::Ok);
    EXPECT_EQ(path.points.count, 50u);
    EXPECT_TRUE(allOnTheCentreLine());
    EXPECT_EQ(path[0].x, 1);
    EXPECT_EQ(path.last().x, 50);

    // Two pixels a sample: 40000 (half a sample before the edge) to 40026 (beyond it).
    ASSERT_EQ(buildSeriesPath(path.points, s.data(), 100000, a, {40000.5, 25}, false), ErrorCode::Ok);
    EXPECT_EQ(path.points.count, 27u);
    EXPECT_TRUE(allOnTheCentreLine());
    EXPECT_EQ(path[0].x, 0);
    EXPECT_EQ(path.last().x, 52);

    // At the end: the last sample and the end of the series.
    ASSERT_EQ(buildSeriesPath(path.points, s.data(), 100000, a, {99975, 25}, false), ErrorCode::Ok);
    EXPECT_EQ(path.points.count, 25u + 1);
    EXPECT_EQ(path.last().x, 51);
}

TEST(SeriesPath, ReverseModeClosesTheShapeAndShortSeriesStayFinite) {
    PlotArea a = {1, 1, 50, 21};
    std::vector<float> envelope = {1.0f, 0.75f, 0.5f, 0.25f, 0.0f};
    Path path;
    ASSERT_EQ(buildSeriesPath(path.points, envelope.data(), 5, a, wholeRange(5), false), ErrorCode::Ok);
    ASSERT_EQ(buildSeriesPath(path.points, envelope.data(), 5, a, wholeRange(5), true), ErrorCode::Ok);
    ASSERT_EQ(path.points.count, 1u + 6 + 6);
    EXPECT_EQ(path[7].x, 51);  // the end first, at the right edge
    EXPECT_EQ(path[12].x, 1);
    // the mirror image: the top edge goes down by the same amount as the bottom goes up
    EXPECT_FLOAT_EQ(path[1].y - 11, -(path[12].y - 11));

    ASSERT_EQ(buildSeriesPath(path.points, nullptr, 0, a, wholeRange(0), false), ErrorCode::Ok);
    EXPECT_EQ(path.points.count, 0u);
    float one = 0.5f;
    ASSERT_EQ(buildSeriesPath(path.points, &one, 1, a, wholeRange(1), false), ErrorCode::Ok);
    ASSERT_EQ(path.points.count, 3u);  // a level line across the plot
    EXPECT_EQ(path[2].x, 51);
    EXPECT_EQ(path[2].y, path[1].y);
    ASSERT_EQ(buildSeriesPath(path.points, &one, 1, plotAreaOf(0, 0), wholeRange(1), false), ErrorCode::Ok);
    EXPECT_EQ(path.points.count, 0u);
}

TEST(VisibleRange, PixelAndSampleAtEveryZoom) {
    struct Case {
        VisibleRange range;
        double sample, x;
    };
    const Case cases[] = {
        {wholeRange(kLong), 1800000, 210},  // 3.6 million samples over 418 pixels
        {{1000, 209}, 1010, 21},            // two pixels a sample
        {{1000, 209}, 1047.5, 96},
        {{1000.25, 52.25}, 1010, 79},       // eight, a quarter of a sample before the edge
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(pixelOfSample(kPlot, c.range, c.sample), c.x) << c.range.first << " " << c.range.span;
        EXPECT_DOUBLE_EQ(sampleAtPixel(kPlot, c.range, c.x), c.sample) << c.range.first << " " << c.range.span;
    }
}

TEST(VisibleRange, ZoomKeepsTheSampleUnderThePointerDownToTheClosestZoom) {
    VisibleRange range = wholeRange(kLong);
    const double anchor = sampleAtPixel(kPlot, range, 100);
    for (int step = 1; step <= 30; ++step) {
        range = zoomAround(range, 100, 1, kPlot, kLong, kClosest);
        EXPECT_NEAR(sampleAtPixel(kPlot, range, 100), anchor, 1e-6) << step;
    }
    EXPECT_DOUBLE_EQ(range.span, 418.0 / 8);  // no closer than eight pixels a sample
    range = zoomAround(range, 300, -0.5, kPlot, kLong, kClosest);  // half a notch, as touchpads send
    EXPECT_NEAR(range.span, 418.0 / 8 * std::sqrt(2.0), 1e-9);
    range = zoomAround(range, 300, -40, kPlot, kLong, kClosest);
    EXPECT_TRUE(isWholeRange(range, kLong));
    EXPECT_EQ(range.first, 0);

    // Zooming out at the end: the range stops at the end and the pointer's sample moves.
    range = zoomAround({kLong - 1000, 1000}, 400, -1, kPlot, kLong, kClosest);
    EXPECT_EQ(range.first, kLong - 2000.0);
    EXPECT_EQ(range.span, 2000);
}

TEST(VisibleRange, KeptWithinTheSeriesAndTheClosestZoom) {
    auto clamp = [](VisibleRange r, uint32_t count) {
        VisibleRange c = clampRange(r, count, 418, kClosest);
        return std::make_tuple(c.first, c.span);
    };
    using R = std::tuple<double, double>;
    EXPECT_EQ(clamp({-5, 1000}, kLong), R(0, 1000));
    EXPECT_EQ(clamp({kLong - 500.0, 1000}, kLong), R(kLong - 1000.0, 1000));
    EXPECT_EQ(clamp({7, 5e6}, kLong), R(0, kLong));
    EXPECT_EQ(clamp({100, 10}, kLong), R(100, 52.25));
    EXPECT_EQ(clamp({3, 10}, 40), R(0, 40));  // shorter than the closest zoom: only whole
    EXPECT_EQ(clamp({3, 10}, 0), R(0, 0));
    EXPECT_EQ(clamp({3, NAN}, kLong), R(0, kLong));
    EXPECT_EQ(clamp({NAN, 1000}, kLong), R(0, 1000));

    VisibleRange moved = panByPixels({1000, 209}, 10, kPlot, kLong, kClosest);  // two pixels a sample
    EXPECT_EQ(moved.first, 1005);
    moved = panByPixels({1000, 209}, -1e9, kPlot, kLong, kClosest);
    EXPECT_EQ(moved.first, 0);
}

TEST(MarkerPosition, ClampsToItsLimitsAndDragsToTheNearestVisibleSample) {
    EXPECT_EQ(clampMarkerPosition(50, 100, -1), 100);
    EXPECT_EQ(clampMarkerPosition(500, -1, 200), 200);
    const VisibleRange zoomed = {1000, 209};  // two pixels a sample
    EXPECT_EQ(dragPosition(kPlot, zoomed, kLong, 95), 1047);
    EXPECT_EQ(dragPosition(kPlot, zoomed, kLong, 96), 1048);    // 1047.5 rounds away from zero
    EXPECT_EQ(dragPosition(kPlot, zoomed, kLong, -50), 1000);   // beyond the plot: waits at its edge
    EXPECT_EQ(dragPosition(kPlot, zoomed, kLong, 1000), 1209);
    EXPECT_EQ(dragPosition(kPlot, {1000.25, 52.25}, kLong, 0), 1001);  // the first sample shown
    EXPECT_EQ(dragPosition(kPlot, wholeRange(100), 100, 1000), 100);   // the end of the series
    EXPECT_EQ(dragPosition(kPlot, wholeRange(100), 100, NAN), 0);
}

// 37.908 samples a millisecond.
TEST(MarkerPosition, KeysStepBySamplesOrMillisecondsWithinTheSeriesAndTheLimits) {
    EXPECT_EQ(markerKeyStep(false, false), 1);
    EXPECT_EQ(markerKeyStep(true, false), 38);
    EXPECT_EQ(markerKeyStep(false, true), 379);
    EXPECT_EQ(markerKeyStep(true, true), 379);
    const std::tuple<int32_t, MarkerKey, int32_t, uint32_t, int32_t, int32_t, int32_t> cases[] = {
        // position, key, step, presses, minimum, maximum, expected; a series of 5000 samples
        {100, MarkerKey::On, 1, 1, -1, -1, 101},
        {100, MarkerKey::Back, 38, 2, -1, -1, 24},
        {100, MarkerKey::Back, 379, 1, -1, -1, 0},       // not before the series
        {100, MarkerKey::Back, 379, 1, 50, -1, 50},      // nor below the minimum
        {4900, MarkerKey::On, 379, 3, -1, -1, 5000},     // to the end of the series, no further
        {4900, MarkerKey::On, 379, 1, -1, 4950, 4950},
        {2000, MarkerKey::First, 1, 1, 1000, -1, 1000},  // the first position the limits allow
        {2000, MarkerKey::Last, 1, 1, -1, -1, 5000},
        {2000, MarkerKey::Last, 1, 1, -1, 3000, 3000},
        {2000, MarkerKey::On, 379, 65535, -1, -1, 5000}, // a long repeat does not overflow
    };
    for (const auto& [position, key, step, presses, minimum, maximum, expected] : cases)
        EXPECT_EQ(keyedMarkerPosition(position, key, step, presses, 5000, minimum, maximum), expected)
            << position << " " << int(key) << " " << step << "x" << presses;
    EXPECT_EQ(keyedMarkerPosition(INT32_MAX - 1, MarkerKey::On, 379, 65535, UINT32_MAX, -1, -1), INT32_MAX);
}

TEST(MarkerPlacement, HandlesHangBesideASharedLineCentreWithRoomAndStayInside) {
    const VisibleRange whole = wholeRange(1000);  // 0.418 pixels a sample
    MarkerPlacement m[2] = {marker(100), marker(100)};
    placeMarkers(m, 2, kPlot, whole);
    EXPECT_EQ(m[0].lineX, 42);    // 41.8 + 1, down
    EXPECT_EQ(m[0].handleX, 30);  // S left of the shared line
    EXPECT_EQ(m[1].handleX, 41);  // E right of it

    MarkerPlacement apart[2] = {marker(0), marker(500)};
    placeMarkers(apart, 2, kPlot, whole);
    EXPECT_EQ(apart[0].lineX, 2);    // kept one pixel inside
    EXPECT_EQ(apart[0].handleX, 1);  // no room to the left: hangs right, from x0
    EXPECT_EQ(apart[1].lineX, 210);
    EXPECT_EQ(apart[1].handleX, 205);  // centred: 210 - 6 + 1
    MarkerPlacement end[1] = {marker(1000)};
    placeMarkers(end, 1, kPlot, whole);
    EXPECT_EQ(end[0].lineX, 418);
    EXPECT_EQ(end[0].handleX, 1 + 418 - 13 - 1);  // hangs left, inside the right edge
}

TEST(MarkerPlacement, OnlyMarkersInTheVisibleRangeShowAndTheirNeighboursLeaveThemRoom) {
    MarkerPlacement m[5] = {marker(999), marker(1000), marker(1100), marker(1210), marker(1100, false)};
    placeMarkers(m, 5, kPlot, {1000, 209});  // two pixels a sample
    EXPECT_FALSE(m[0].shown);
    EXPECT_TRUE(m[1].shown);
    EXPECT_EQ(m[1].lineX, 2);
    EXPECT_EQ(m[2].lineX, 201);
    EXPECT_EQ(m[2].handleX, 196);  // centred: the unplaced marker on its line takes no room
    EXPECT_FALSE(m[3].shown);
    EXPECT_FALSE(m[4].shown);
    // Scrolled to the end, the end of the series shows.
    MarkerPlacement end[1] = {marker(int32_t(kLong))};
    placeMarkers(end, 1, kPlot, clampRange({kLong, 52.25}, kLong, 418, kClosest));
    EXPECT_TRUE(end[0].shown);
    EXPECT_EQ(end[0].lineX, 418);
}

TEST(MarkerGrab, ByTheHandleOrWithinReachOfTheLine) {
    MarkerPlacement m[2] = {marker(100), marker(300)};
    placeMarkers(m, 2, kPlot, wholeRange(418));  // a pixel a sample: lines at 101 and 301
    auto at = [&](float x, float y) { return markerAtPoint(m, 2, kPlot, x, y, 4); };
    EXPECT_EQ(at(96, 3), 0);  // the handle, 96 to 109
    EXPECT_EQ(at(108, 14), 0);
    EXPECT_EQ(at(108, 15), -1);  // below the handle, too far from the line
    EXPECT_EQ(at(97, 90), 0);    // four pixels left of the line's two
    EXPECT_EQ(at(106, 90), 0);   // four right of them
    EXPECT_EQ(at(96, 90), -1);
    EXPECT_EQ(at(107, 90), -1);
    EXPECT_EQ(at(303, 110), 1);

    // A line shared by two markers: the one whose handle hangs on the pointer's side.
    m[1].position = 100;
    placeMarkers(m, 2, kPlot, wholeRange(418));
    EXPECT_EQ(at(99, 90), 0);
    EXPECT_EQ(at(103, 90), 1);
    EXPECT_EQ(at(300, 90), -1);
}
