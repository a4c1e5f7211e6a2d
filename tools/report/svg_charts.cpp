#include "tools/report/svg_charts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "tools/report/html_text.h"

namespace {

constexpr double width = 960.0;
constexpr const char* gridColor = "#d9dde3";
constexpr const char* axisColor = "#4a5260";

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string open(const std::string& title, double height) {
    return "<svg class=\"chart\" viewBox=\"0 0 " + number(width) + " " +
           number(height) + "\" role=\"img\" aria-label=\"" + escapeHtml(title) + "\">\n<text x=\"0\" y=\"20\" " +
           "class=\"chart-title\">" + escapeHtml(title) + "</text>\n";
}

std::string text(double x, double y, const std::string& content, const std::string& anchor,
                 const std::string& extra = "") {
    return "<text x=\"" + number(x) + "\" y=\"" + number(y) + "\" text-anchor=\"" + anchor + "\"" + extra + ">" +
           escapeHtml(content) + "</text>\n";
}

std::string line(double x1, double y1, double x2, double y2, const std::string& color) {
    return "<line x1=\"" + number(x1) + "\" y1=\"" + number(y1) + "\" x2=\"" + number(x2) + "\" y2=\"" +
           number(y2) + "\" stroke=\"" + color + "\"/>\n";
}

std::string rect(double x, double y, double w, double h, const std::string& color, const std::string& tip) {
    return "<rect x=\"" + number(x) + "\" y=\"" + number(y) + "\" width=\"" + number(std::max(w, 0.0)) +
           "\" height=\"" + number(std::max(h, 0.0)) + "\" fill=\"" + escapeHtml(color) + "\"><title>" +
           escapeHtml(tip) + "</title></rect>\n";
}

std::string emptyChart(const std::string& title, const std::string& message) {
    return open(title, 70) + text(width / 2, 52, message, "middle", " class=\"chart-empty\"") + "</svg>\n";
}

double largest(const std::vector<Bar>& bars) {
    double maximum = 0.0;
    for (const Bar& bar : bars) maximum = std::max(maximum, bar.value);
    return maximum;
}

// A vertical value axis with horizontal grid lines, labels on the left.
std::string valueGrid(const std::vector<double>& ticks, double left, double right, double top, double plotHeight,
                      const Axis& axis) {
    std::string svg;
    const double span = ticks.back() - ticks.front();
    for (const double tick : ticks) {
        const double y = top + plotHeight - (tick - ticks.front()) / span * plotHeight;
        svg += line(left, y, right, y, gridColor);
        svg += text(left - 8, y + 4, formatNumber(tick), "end");
    }
    const double middle = top + plotHeight / 2;
    svg += text(18, middle, axis.label, "middle",
                " class=\"axis-label\" transform=\"rotate(-90 18 " + number(middle) + ")\"");
    return svg;
}

std::string legendLabel(const Series& series) {
    return series.label + " (" + std::to_string(series.points.size()) + ")";
}

}  // namespace

std::vector<double> niceTicks(double low, double high, int target) {
    if (!std::isfinite(low) || !std::isfinite(high) || !std::isfinite(high - low)) return {0.0, 1.0};
    if (!(high > low)) high = low + std::max(1.0, std::fabs(low) * 0.1);
    const double raw = (high - low) / std::max(target, 1);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double normal = raw / magnitude;
    const double step = (normal < 1.5 ? 1.0 : normal < 3.0 ? 2.0 : normal < 7.0 ? 5.0 : 10.0) * magnitude;
    const double first = std::floor(low / step + 1e-9) * step;
    // Counted, not accumulated: far from zero, adding a small step may not
    // change the value at all.
    const double intervals = std::clamp(std::ceil((high - first) / step - 1e-9), 1.0, 1000.0);
    std::vector<double> ticks;
    for (int i = 0; i <= static_cast<int>(intervals); ++i) {
        const double tick = first + step * i;
        ticks.push_back(std::fabs(tick) < step * 1e-9 ? 0.0 : tick);
    }
    return ticks;
}

std::string horizontalBarChart(const std::string& title, const std::vector<Bar>& bars, const Axis& valueAxis) {
    if (bars.empty()) return emptyChart(title, "nothing to show");
    std::size_t longest = 0;
    for (const Bar& bar : bars) longest = std::max(longest, bar.label.size());
    // Room for the longest label at about 7.6 units a character.
    const double left = std::clamp(static_cast<double>(longest) * 7.6 + 24.0, 120.0, 480.0);
    const double right = width - 80.0;
    const double top = 38.0;
    const double row = 28.0;
    const double plotHeight = row * static_cast<double>(bars.size());
    const std::vector<double> ticks = niceTicks(0.0, std::max(largest(bars), 1.0), 6);
    const double scale = (right - left) / ticks.back();
    std::string svg = open(title, top + plotHeight + 56);
    for (const double tick : ticks) {
        const double x = left + tick * scale;
        svg += line(x, top, x, top + plotHeight, gridColor);
        svg += text(x, top + plotHeight + 18, formatNumber(tick), "middle");
    }
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const double y = top + row * static_cast<double>(i);
        svg += text(left - 10, y + row / 2 + 5, bars[i].label, "end");
        svg += rect(left, y + 5, bars[i].value * scale, row - 10, bars[i].color,
                    bars[i].label + ": " + formatNumber(bars[i].value));
        svg += text(left + bars[i].value * scale + 6, y + row / 2 + 5, formatNumber(bars[i].value), "start",
                    " class=\"bar-value\"");
    }
    svg += line(left, top, left, top + plotHeight, axisColor);
    svg += text((left + right) / 2, top + plotHeight + 44, valueAxis.label, "middle", " class=\"axis-label\"");
    return svg + "</svg>\n";
}

std::string columnChart(const std::string& title, const std::vector<Bar>& bars, const Axis& categoryAxis,
                        const Axis& valueAxis) {
    if (bars.empty()) return emptyChart(title, "nothing to show");
    const double left = 80.0;
    const double right = width - 20.0;
    const double top = 44.0;
    const double plotHeight = 240.0;
    const std::vector<double> ticks = niceTicks(0.0, std::max(largest(bars), 1.0), 5);
    std::string svg = open(title, top + plotHeight + 66);
    svg += valueGrid(ticks, left, right, top, plotHeight, valueAxis);
    const double slot = (right - left) / static_cast<double>(bars.size());
    const double barWidth = std::min(slot * 0.6, 90.0);
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const double centre = left + slot * (static_cast<double>(i) + 0.5);
        const double height = bars[i].value / ticks.back() * plotHeight;
        svg += rect(centre - barWidth / 2, top + plotHeight - height, barWidth, height, bars[i].color,
                    bars[i].label + ": " + formatNumber(bars[i].value));
        svg += text(centre, top + plotHeight - height - 6, formatNumber(bars[i].value), "middle",
                    " class=\"bar-value\"");
        svg += text(centre, top + plotHeight + 20, bars[i].label, "middle");
    }
    svg += line(left, top + plotHeight, right, top + plotHeight, axisColor);
    svg += text((left + right) / 2, top + plotHeight + 52, categoryAxis.label, "middle", " class=\"axis-label\"");
    return svg + "</svg>\n";
}

Histogram makeHistogram(std::vector<double> values, int targetBins) {
    Histogram histogram;
    values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return !std::isfinite(v); }),
                 values.end());
    if (values.empty()) return histogram;
    std::sort(values.begin(), values.end());
    const double low = values.front();
    // A few extreme values would squeeze every other bin into one.
    const double high = values[static_cast<std::size_t>(std::floor(0.99 * static_cast<double>(values.size() - 1)))];
    histogram.edges = niceTicks(std::min(low, 0.0) < 0.0 ? low : 0.0, std::max(high, low + 1e-9), targetBins);
    // The largest value must fall inside the last bin, not above it.
    if (histogram.edges.back() <= high) {
        histogram.edges.push_back(histogram.edges.back() + (histogram.edges[1] - histogram.edges[0]));
    }
    histogram.counts.assign(histogram.edges.size() - 1, 0);
    const double step = histogram.edges[1] - histogram.edges[0];
    for (const double value : values) {
        if (value >= histogram.edges.back()) {
            ++histogram.overflow;
        } else {
            const auto bin = static_cast<std::size_t>(std::max(0.0, std::floor((value - histogram.edges.front()) / step)));
            ++histogram.counts[std::min(bin, histogram.counts.size() - 1)];
        }
    }
    histogram.total = static_cast<long>(values.size());
    return histogram;
}

Histogram makeDecadeHistogram(std::vector<double> values) {
    Histogram histogram;
    histogram.logarithmic = true;
    values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return !std::isfinite(v); }),
                 values.end());
    if (values.empty()) return histogram;
    const double largestValue = *std::max_element(values.begin(), values.end());
    histogram.edges = {0.0, 1.0};
    for (double decade = 1.0; histogram.edges.back() <= largestValue; decade *= 10.0) {
        for (const double step : {2.0, 5.0, 10.0}) {
            if (histogram.edges.back() > largestValue) break;
            histogram.edges.push_back(decade * step);
        }
    }
    histogram.counts.assign(histogram.edges.size() - 1, 0);
    for (const double value : values) {
        const auto above = std::upper_bound(histogram.edges.begin(), histogram.edges.end(), value);
        const auto bin = static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, above - histogram.edges.begin() - 1));
        ++histogram.counts[std::min(bin, histogram.counts.size() - 1)];
    }
    // Empty low decades would only push the values to the right.
    while (histogram.counts.size() > 1 && histogram.counts.front() == 0) {
        histogram.counts.erase(histogram.counts.begin());
        histogram.edges.erase(histogram.edges.begin());
    }
    histogram.total = static_cast<long>(values.size());
    return histogram;
}

std::string histogramChart(const std::string& title, const Histogram& histogram, const Axis& valueAxis,
                           const std::string& color) {
    if (histogram.total == 0) return emptyChart(title, "no values in the logs");
    const double left = 80.0;
    const double right = width - (histogram.overflow > 0 ? 110.0 : 30.0);
    const double top = 44.0;
    const double plotHeight = 220.0;
    long maximum = histogram.overflow;
    for (const long count : histogram.counts) maximum = std::max(maximum, count);
    const std::vector<double> ticks = niceTicks(0.0, std::max<double>(static_cast<double>(maximum), 1.0), 5);
    std::string svg = open(title, top + plotHeight + 66);
    svg += text(width - 10, 20, "n = " + std::to_string(histogram.total), "end", " class=\"chart-note\"");
    svg += valueGrid(ticks, left, width - 20, top, plotHeight, Axis{"spectra"});
    const double low = histogram.edges.front();
    const double span = histogram.edges.back() - low;
    const double slot = (right - left) / static_cast<double>(histogram.counts.size());
    const auto xOfEdge = [&](std::size_t i) {
        return histogram.logarithmic ? left + slot * static_cast<double>(i)
                                     : left + (histogram.edges[i] - low) / span * (right - left);
    };
    for (std::size_t i = 0; i < histogram.counts.size(); ++i) {
        const double x1 = xOfEdge(i);
        const double x2 = xOfEdge(i + 1);
        const double height = static_cast<double>(histogram.counts[i]) / ticks.back() * plotHeight;
        svg += rect(x1 + 1, top + plotHeight - height, x2 - x1 - 2, height, color,
                    formatNumber(histogram.edges[i]) + " to " + formatNumber(histogram.edges[i + 1]) + ": " +
                        std::to_string(histogram.counts[i]));
        if (histogram.counts[i] > 0 && x2 - x1 >= 24) {
            svg += text((x1 + x2) / 2, top + plotHeight - height - 5, std::to_string(histogram.counts[i]), "middle",
                        " class=\"bar-value\"");
        }
    }
    // Edge labels thinned out so that they never overlap.
    const std::size_t every = std::max<std::size_t>(1, (histogram.edges.size() + 11) / 12);
    for (std::size_t i = 0; i < histogram.edges.size(); i += every) {
        const double x = xOfEdge(i);
        svg += line(x, top + plotHeight, x, top + plotHeight + 5, axisColor);
        svg += text(x, top + plotHeight + 20, formatNumber(histogram.edges[i]), "middle");
    }
    if (histogram.overflow > 0) {
        const double x = right + 20;
        const double height = static_cast<double>(histogram.overflow) / ticks.back() * plotHeight;
        const std::string label = "\u2265 " + formatNumber(histogram.edges.back());
        svg += rect(x, top + plotHeight - height, 60, height, "#8a8f98", label + ": " + std::to_string(histogram.overflow));
        svg += text(x + 30, top + plotHeight - height - 6, std::to_string(histogram.overflow), "middle",
                    " class=\"bar-value\"");
        svg += text(x + 30, top + plotHeight + 20, label, "middle");
    }
    svg += line(left, top + plotHeight, width - 20, top + plotHeight, axisColor);
    svg += text((left + right) / 2, top + plotHeight + 52, valueAxis.label, "middle", " class=\"axis-label\"");
    return svg + "</svg>\n";
}

std::string scatterChart(const std::string& title, const std::vector<Series>& series, const Axis& xAxis,
                         const Axis& yAxis, Marks marks) {
    double xLow = std::numeric_limits<double>::max();
    double xHigh = std::numeric_limits<double>::lowest();
    double yLow = xLow;
    double yHigh = xHigh;
    std::size_t total = 0;
    for (const Series& s : series) {
        for (const Point& p : s.points) {
            xLow = std::min(xLow, p.x);
            xHigh = std::max(xHigh, p.x);
            yLow = std::min(yLow, p.y);
            yHigh = std::max(yHigh, p.y);
            ++total;
        }
    }
    if (total == 0) return emptyChart(title, "no values in the logs");
    const double left = 80.0;
    // The legend right of the plot, as wide as its longest label: 7.8 px
    // covers the widest digits of the charts' 13 px sans-serif.
    std::size_t longest = 0;
    for (const Series& s : series) {
        if (!s.points.empty()) longest = std::max(longest, legendLabel(s).size());
    }
    const double right = std::min(width - 170.0, width - 46.0 - 7.8 * static_cast<double>(longest));
    const double top = 44.0;
    const double plotHeight = 360.0;
    // A little room so that no point sits on the frame.
    const double xPad = (xHigh - xLow) * 0.01;
    const double yPad = (yHigh - yLow) * 0.02;
    const std::vector<double> xTicks = niceTicks(std::max(0.0, xLow - xPad), xHigh + xPad, 8);
    const std::vector<double> yTicks = niceTicks(yLow >= 0.0 ? std::max(0.0, yLow - yPad) : yLow - yPad, yHigh + yPad, 6);
    std::string svg = open(title, top + plotHeight + 66);
    svg += valueGrid(yTicks, left, right, top, plotHeight, yAxis);
    const auto xOf = [&](double x) { return left + (x - xTicks.front()) / (xTicks.back() - xTicks.front()) * (right - left); };
    const auto yOf = [&](double y) {
        return top + plotHeight - (y - yTicks.front()) / (yTicks.back() - yTicks.front()) * plotHeight;
    };
    for (const double tick : xTicks) {
        svg += line(xOf(tick), top, xOf(tick), top + plotHeight, gridColor);
        svg += text(xOf(tick), top + plotHeight + 20, formatNumber(tick), "middle");
    }
    svg += line(left, top + plotHeight, right, top + plotHeight, axisColor);
    svg += line(left, top, left, top + plotHeight, axisColor);
    double legendY = top + 10;
    for (const Series& s : series) {
        if (s.points.empty()) continue;
        if (marks == Marks::lines) {
            svg += "<polyline fill=\"none\" stroke-width=\"1.5\" stroke=\"" + escapeHtml(s.color) + "\" points=\"";
            for (const Point& p : s.points) svg += number(xOf(p.x)) + "," + number(yOf(p.y)) + " ";
            svg += "\"><title>" + escapeHtml(s.label) + "</title></polyline>\n";
        } else {
            svg += "<g fill=\"" + escapeHtml(s.color) + "\" fill-opacity=\"0.75\">\n";
            for (const Point& p : s.points) {
                svg += "<circle cx=\"" + number(xOf(p.x)) + "\" cy=\"" + number(yOf(p.y)) + "\" r=\"3\"" +
                       (p.tip.empty() ? "/>\n" : "><title>" + escapeHtml(p.tip) + "</title></circle>\n");
            }
            svg += "</g>\n";
        }
        svg += "<circle cx=\"" + number(right + 24) + "\" cy=\"" + number(legendY) + "\" r=\"5\" fill=\"" +
               escapeHtml(s.color) + "\"/>\n";
        svg += text(right + 36, legendY + 5, legendLabel(s), "start");
        legendY += 22;
    }
    svg += text((left + right) / 2, top + plotHeight + 52, xAxis.label, "middle", " class=\"axis-label\"");
    return svg + "</svg>\n";
}
