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
};

}  // namespace

TEST(PlotArea, TakesTheBorderOffAndKeepsTheCentreOnARow) {
    auto fields = [](const PlotArea& a) { return std::make_tuple(a.x0, a.y0, a.width, a.height); };
    EXPECT_EQ(fields(plotAreaOf(420, 120)), std::make_tuple(1.0f, 1.0f, 418.0f, 117.0f));  // 120 made odd first
    EXPECT_EQ(plotAreaOf(420, 121).height, 119);
}

TEST(SeriesPath, OnePointPerSampleUpToThePlotWidth) {
    PlotArea a = {1, 1, 418, 119};
    std::vector<float> s(418);
    for (uint32_t i = 0; i < 418; ++i) s[i] = std::sin(0.1f * i) * 0.8f;
    Path path;
    ASSERT_EQ(buildSeriesPath(path.points, s.data(), 418, a, false), ErrorCode::Ok);
    ASSERT_EQ(path.points.count, 1u + 418);
    EXPECT_EQ(path[0].x, 1);
    EXPECT_EQ(path[0].y, 60);  // the centre line: 1 + 118 / 2
    EXPECT_EQ(path[418].x, 419);
    EXPECT_FLOAT_EQ(path[1 + 16].y, 60 - std::sin(1.6f) * 0.8f * 59.5f);

    // One more sample: columns of at most two points each, however long the series.
    for (uint32_t n : {419u, 10000u, 3600000u}) {
        s.resize(n);
        for (uint32_t i = 0; i < n; ++i) s[i] = std::sin(0.37f * i);
        ASSERT_EQ(buildSeriesPath(path.points, s.data(), n, a, false), ErrorCode::Ok);
        EXPECT_LE(path.points.count, 1u + 2 * 419) << n;
        EXPECT_GT(path.points.count, 200u) << n;
    }
}

TEST(SeriesPath, ColumnsHoldTheSmallestAndLargestAndSpanThePlot) {
    PlotArea a = {1, 1, 50, 101};
    std::vector<float> s(1000, 0.0f);
    s[513] = 0.5f;   // column 25 reaches up
    s[509] = -2.0f;  // and down, clamped to the border
    Path path;
    ASSERT_EQ(buildSeriesPath(path.points, s.data(), 1000, a, false), ErrorCode::Ok);
    // k = 1000 / 50 + 0.5 = 20.5, to even: 20 samples a column (the vector path), 50 columns
    EXPECT_EQ(path.points.count, 1u + 50 + 1);
    EXPECT_EQ(path[path.points.count - 1].x, 51);
    const FloatPoint* up = nullptr;
    for (uint32_t i = 0; i < path.points.count; ++i)
        if (path[i].y < 50) up = &path[i];
    ASSERT_NE(up, nullptr);
    EXPECT_FLOAT_EQ(up->y, 51 - 0.5f * 50.5f);
    EXPECT_FLOAT_EQ((up + 1)->y, 51 + 50.5f);  // the same column, down to the clamp
    EXPECT_EQ(up->x, (up + 1)->x);
}

TEST(SeriesPath, ReverseModeClosesTheShapeAndShortSeriesStayFinite) {
    PlotArea a = {1, 1, 50, 21};
    std::vector<float> envelope = {1.0f, 0.75f, 0.5f, 0.25f, 0.0f};
    Path path;
    ASSERT_EQ(buildSeriesPath(path.points, envelope.data(), 5, a, false), ErrorCode::Ok);
    ASSERT_EQ(buildSeriesPath(path.points, envelope.data(), 5, a, true), ErrorCode::Ok);
    ASSERT_EQ(path.points.count, 1u + 5 + 5);
    EXPECT_EQ(path[6].x, 51);  // the last sample first, at the right edge
    EXPECT_EQ(path[10].x, 1);
    // the mirror image: the top edge goes down by the same amount as the bottom goes up
    EXPECT_FLOAT_EQ(path[1].y - 11, -(path[10].y - 11));

    ASSERT_EQ(buildSeriesPath(path.points, nullptr, 0, a, false), ErrorCode::Ok);
    EXPECT_EQ(path.points.count, 0u);
    float one = 0.5f;
    ASSERT_EQ(buildSeriesPath(path.points, &one, 1, a, false), ErrorCode::Ok);
    EXPECT_EQ(path.points.count, 3u);
    EXPECT_TRUE(std::isfinite(path[2].x));
    EXPECT_FLOAT_EQ(pixelsPerSampleOf(a, 0), 1.0f);
}

TEST(MarkerPosition, ClampsToItsMinimumAndDragsToTheNearestSample) {
    EXPECT_EQ(clampMarkerPosition(50, 100, -1), 100);
    EXPECT_EQ(sampleAtX(10.49f, 0.5f, 100), 21);
    EXPECT_EQ(sampleAtX(10.25f, 0.5f, 100), 21);  // 20.5 rounds away from zero
    EXPECT_EQ(sampleAtX(-5, 0.5f, 100), 0);
    EXPECT_EQ(sampleAtX(400, 0.5f, 100), 100);
}

TEST(MarkerPlacement, HandlesHangBesideASharedLineCentreWithRoomAndStayInside) {
    PlotArea a = {1, 1, 418, 119};
    float pps = pixelsPerSampleOf(a, 1000);  // 0.418
    MarkerPlacement m[2] = {{true, 100, 13, 0, 0}, {true, 100, 13, 0, 0}};
    placeMarkers(m, 2, a, pps);
    EXPECT_EQ(m[0].lineX, 42);    // 41.8 + 1, down
    EXPECT_EQ(m[0].handleX, 30);  // S left of the shared line
    EXPECT_EQ(m[1].handleX, 41);  // E right of it

    MarkerPlacement apart[2] = {{true, 0, 13, 0, 0}, {true, 500, 13, 0, 0}};
    placeMarkers(apart, 2, a, pps);
    EXPECT_EQ(apart[0].lineX, 2);    // kept one pixel inside
    EXPECT_EQ(apart[0].handleX, 1);  // no room to the left: hangs right, from x0
    EXPECT_EQ(apart[1].lineX, 210);
    EXPECT_EQ(apart[1].handleX, 205);  // centred: 210 - 6 + 1
    MarkerPlacement end[1] = {{true, 1000, 13, 0, 0}};
    placeMarkers(end, 1, a, pps);
    EXPECT_EQ(end[0].lineX, 418);
    EXPECT_EQ(end[0].handleX, 1 + 418 - 13 - 1);  // hangs left, inside the right edge
}
