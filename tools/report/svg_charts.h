#pragma once
// Charts as inline SVG: no script, no external resource, readable when
// printed. Every text handed in is escaped here.
#include <string>
#include <vector>

struct Bar {
    std::string label;
    double value = 0.0;
    std::string color;  // any CSS colour
};

struct Axis {
    std::string label;  // with its unit, e.g. "precursor m/z (Th)"
};

// Categories one under the other, bars to the right, the value at each bar's end.
std::string horizontalBarChart(const std::string& title, const std::vector<Bar>& bars, const Axis& valueAxis);

// Categories side by side (e.g. charges), bars upwards.
std::string columnChart(const std::string& title, const std::vector<Bar>& bars, const Axis& categoryAxis,
                        const Axis& valueAxis);

// Values counted into bins of a round width from the smallest value up to the
// 99th percentile; the rare values above go into one overflow bin.
struct Histogram {
    std::vector<double> edges;  // bin i spans [edges[i], edges[i + 1])
    std::vector<long> counts;
    long overflow = 0;          // values at or above edges.back()
    long total = 0;
    bool logarithmic = false;   // bins of 1-2-5 steps, drawn equally wide
};
Histogram makeHistogram(std::vector<double> values, int targetBins);
// Bins 0-1, 1-2, 2-5, 5-10, 10-20 ... up to the largest value: for ratios
// that spread over decades, such as signal-to-noise. Negative values count
// into the first bin.
Histogram makeDecadeHistogram(std::vector<double> values);
std::string histogramChart(const std::string& title, const Histogram& histogram, const Axis& valueAxis,
                           const std::string& color);

struct Point {
    double x = 0.0;
    double y = 0.0;
    std::string tip;  // shown on hovering; "" for none
};
struct Series {
    std::string label;
    std::string color;
    std::vector<Point> points;
};
// Points, or each series as one line through its points in their order
// (a chromatogram).
enum class Marks { points, lines };
std::string scatterChart(const std::string& title, const std::vector<Series>& series, const Axis& xAxis,
                         const Axis& yAxis, Marks marks = Marks::points);

// Round tick positions covering [low, high], about `target` of them.
std::vector<double> niceTicks(double low, double high, int target);
