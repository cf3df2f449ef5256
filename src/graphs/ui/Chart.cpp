#include "graphs/ui/Chart.h"

#include "graphs/GraphData.h"
#include "graphs/Texts.h"
#include "store/RowSet.h"

#include <QRubberBand>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace graphs {

namespace {

// The design's typeface, or the nearest one installed.
QFont chartFont(int pixels) {
    QFont f;
    f.setFamilies({QStringLiteral("Trebuchet MS"), QStringLiteral("Fira Sans"),
                   QStringLiteral("Ubuntu"), QStringLiteral("DejaVu Sans Condensed"),
                   QStringLiteral("DejaVu Sans")});
    f.setPixelSize(pixels);
    f.setBold(true);
    return f;
}

// The increment a graph rule sets is kept while its labels fit along the axis;
// where they would overlap (a negative profile scaled by its small maximum, a
// typed scale of 100000 by 5) every second, fifth or tenth one is labelled.
double fittedStep(double step, const QCPRange& range, const QCPAxis* axis) {
    if (!(step > 0) || !axis) return step;
    const bool horizontal = axis->orientation() == Qt::Horizontal;
    const QFontMetrics metrics(axis->tickLabelFont());
    const double spacing = horizontal
                               ? metrics.horizontalAdvance(QStringLiteral("2026/12/31")) * 0.9
                               : metrics.height() * 1.3;
    const double length =
        std::max(1, horizontal ? axis->axisRect()->width() : axis->axisRect()->height());
    const double fits = std::max(2.0, length / spacing);
    static constexpr double factors[] = {1, 2, 5};
    for (double decade = 1;; decade *= 10)
        for (const double f : factors)
            if (range.size() / (step * f * decade) <= fits || decade > 1e12)
                return step * f * decade;
}

// A number axis whose label increment, once set, is kept as set.
class StepTicker : public QCPAxisTicker {
public:
    double step = 0;         // 0: the ticker chooses
    bool wholeSteps = false; // whole-number labels need whole-number steps
    QPointer<QCPAxis> axis;

protected:
    double getTickStep(const QCPRange& range) override {
        if (step > 0) return fittedStep(step, range, axis);
        const double chosen = QCPAxisTicker::getTickStep(range);
        return wholeSteps ? std::max(1.0, std::round(chosen)) : chosen;
    }
    int getSubTickCount(double tickStep) override {
        return step > 0 ? 0 : QCPAxisTicker::getSubTickCount(tickStep);
    }
};

// A date-time axis whose label increment, once set, is kept as set.
class StepDateTimeTicker : public QCPAxisTickerDateTime {
public:
    double stepSeconds = 0; // 0: the ticker chooses
    QPointer<QCPAxis> axis;

protected:
    double getTickStep(const QCPRange& range) override {
        if (!(stepSeconds > 0)) return QCPAxisTickerDateTime::getTickStep(range);
        mDateStrategy = dsNone;
        return fittedStep(stepSeconds, range, axis);
    }
    int getSubTickCount(double tickStep) override {
        return stepSeconds > 0 ? 0 : QCPAxisTickerDateTime::getSubTickCount(tickStep);
    }
};

// A legend entry with a check box before the series' icon: clicking it hides
// or shows the series. A printed graph has no boxes to click.
class CheckLegendItem : public QCPPlottableLegendItem {
public:
    CheckLegendItem(QCPLegend* legend, QCPAbstractPlottable* plottable, const bool& printing)
        : QCPPlottableLegendItem(legend, plottable), printing_(printing) {}

protected:
    int boxSize() const { return QFontMetrics(getFont()).height() * 3 / 4; }

    void draw(QCPPainter* painter) override {
        if (!mPlottable) return;
        if (printing_) {
            QCPPlottableLegendItem::draw(painter);
            return;
        }
        const int box = boxSize();
        const QRect r = mRect;
        // Beside the icon and text, which stand at the top of the entry.
        const int line =
            std::max(mParentLegend->iconSize().height(), QFontMetrics(getFont()).height());
        const QRect check(r.x(), r.y() + (line - box) / 2, box, box);
        painter->setPen(QPen(QColor(80, 80, 80), 1));
        painter->setBrush(Qt::white);
        painter->drawRect(check);
        if (mPlottable->visible()) {
            painter->setPen(QPen(Qt::black, 2));
            const QPointF a(check.left() + box * 0.2, check.top() + box * 0.55);
            const QPointF b(check.left() + box * 0.42, check.top() + box * 0.78);
            const QPointF c(check.left() + box * 0.82, check.top() + box * 0.22);
            painter->drawLine(a, b);
            painter->drawLine(b, c);
        }
        // The entry itself is drawn right of the box.
        const QRect whole = mRect;
        mRect.setLeft(check.right() + 5);
        QCPPlottableLegendItem::draw(painter);
        mRect = whole;
    }

    QSize minimumOuterSizeHint() const override {
        QSize s = QCPPlottableLegendItem::minimumOuterSizeHint();
        if (!printing_) s.rwidth() += boxSize() + 5;
        return s;
    }

private:
    const bool& printing_;
};

// A series whose markers are drawn only where a point stands far enough from
// its neighbours along the key axis to be told apart: a year of hourly
// readings reads as a line, not as a ribbon of overlapping diamonds, however
// much the values scatter.
class SpacedMarkerGraph : public QCPGraph {
public:
    using QCPGraph::QCPGraph;
    static constexpr double MinimumSpacing = 6; // pixels

protected:
    void drawScatterPlot(QCPPainter* painter, const QVector<QPointF>& scatters,
                         const QCPScatterStyle& style) const override {
        // In the chart's own pixels: a picture scaled up for print keeps the
        // screen's look.
        const QVector<QPointF> apart = markersApart(
            scatters, !keyAxis() || keyAxis()->orientation() == Qt::Horizontal, MinimumSpacing);
        if (!apart.isEmpty()) QCPGraph::drawScatterPlot(painter, apart, style);
    }

public:
    // Suspect points: hollow markers over the series' own drawing, however
    // close together, so that none is lost in a dense line.
    std::vector<size_t> hollow; // ascending data indices
    bool allHollow = false;
    std::vector<double> drawnHollow; // keys marked at the last drawing

    bool isHollow(int index) const {
        return allHollow || std::binary_search(hollow.begin(), hollow.end(), size_t(index));
    }
    void forgetHollow() {
        hollow.clear();
        allHollow = false;
        drawnHollow.clear();
    }

protected:
    void draw(QCPPainter* painter) override {
        QCPGraph::draw(painter);
        drawnHollow.clear();
        if (allHollow || !hollow.empty()) drawHollow(painter);
    }

private:
    void drawHollow(QCPPainter* painter) {
        QCPAxis* k = keyAxis();
        QCPAxis* v = valueAxis();
        if (!k || !v) return;
        const QCPRange keys = k->range(), values = v->range();
        // Larger than the diamond, which it covers where both fall on a point.
        const QCPScatterStyle style(QCPScatterStyle::ssCircle, QPen(pen().color(), 1.5),
                                    QBrush(Qt::white), 9);
        painter->save();
        painter->setAntialiasing(true);
        style.applyTo(painter, pen());
        const auto mark = [&](const QCPGraphData& d) {
            if (!std::isfinite(d.value) || !keys.contains(d.key) || !values.contains(d.value))
                return;
            style.drawShape(painter, coordsToPixels(d.key, d.value));
            drawnHollow.push_back(d.key);
        };
        if (allHollow) {
            for (auto it = mDataContainer->constBegin(); it != mDataContainer->constEnd(); ++it)
                mark(*it);
        } else {
            const size_t n = size_t(mDataContainer->size());
            for (const size_t i : hollow)
                if (i < n) mark(*mDataContainer->at(int(i)));
        }
        painter->restore();
    }
};

SpacedMarkerGraph* spaced(QCPGraph* g) {
    return static_cast<SpacedMarkerGraph*>(g);
}

} // namespace

QVector<QPointF> markersApart(const QVector<QPointF>& points, bool horizontal, double spacing) {
    auto far = [&](const QPointF& a, const QPointF& b) {
        return std::abs(horizontal ? a.x() - b.x() : a.y() - b.y()) >= spacing;
    };
    QVector<QPointF> apart;
    const qsizetype n = points.size();
    for (qsizetype i = 0; i < n; ++i)
        if ((i == 0 || far(points[i - 1], points[i])) &&
            (i + 1 == n || far(points[i], points[i + 1])))
            apart.append(points[i]);
    return apart;
}

Chart::Chart(const std::vector<SeriesLook>& series, BottomKind bottom, const QString& legendTitle,
             QWidget* parent)
    : QCustomPlot(parent), bottomKind_(bottom) {
    setBackground(Qt::white);
    setNoAntialiasingOnDrag(true);

    title_ = new QCPTextElement(this, QString(), chartFont(20));
    plotLayout()->insertRow(0);
    plotLayout()->addElement(0, 0, title_);

    // The legend stands right of the graph, where it hides no line, at its top.
    axisRect()->insetLayout()->take(legend);
    auto* side = new QCPLayoutGrid;
    plotLayout()->addElement(1, 1, side);
    plotLayout()->setColumnStretchFactor(1, 0.001);
    side->addElement(0, 0, legend);
    side->addElement(1, 0, new QCPLayoutElement(this));
    side->setRowStretchFactor(0, 0.001);
    side->setMargins(QMargins(0, 0, 8, 0));
    legend->setVisible(true);
    legend->setFont(chartFont(12));
    legend->setBorderPen(QPen(QColor(160, 160, 160)));
    legend->setMargins(QMargins(6, 4, 6, 4));
    legend->setLayer(QStringLiteral("legend"));
    legendTitle_ = new QCPTextElement(this, legendTitle, chartFont(12));
    legendTitle_->setTextFlags(Qt::AlignLeft | Qt::AlignVCenter);
    legend->addElement(0, 0, legendTitle_);
    legendTitle_->setLayer(legend->layer()); // over the legend's own background

    annotation_ = new QCPTextElement(this, QString(), chartFont(12));
    annotation_->setTextColor(QColor(40, 40, 40));
    plotLayout()->addElement(2, 0, annotation_);

    for (QCPAxis* a : {xAxis, yAxis}) {
        a->setLabelFont(chartFont(17));
        a->setTickLabelFont(chartFont(17));
        a->grid()->setPen(QPen(QColor(192, 192, 192), 1, Qt::SolidLine));
        a->grid()->setZeroLinePen(QPen(QColor(192, 192, 192), 1, Qt::SolidLine));
    }
    xAxis->setTickLabelRotation(-15); // 345 degrees
    auto left = QSharedPointer<StepTicker>::create();
    left->axis = yAxis;
    leftTicker_ = left;
    yAxis->setTicker(leftTicker_);
    if (bottom == BottomKind::DateTime) {
        auto dates = QSharedPointer<StepDateTimeTicker>::create();
        dates->setDateTimeSpec(Qt::UTC);
        dates->setDateTimeFormat(QStringLiteral("yyyy/MM/dd"));
        dates->axis = xAxis;
        bottomTicker_ = dates;
    } else {
        auto numbers = QSharedPointer<StepTicker>::create();
        numbers->axis = xAxis;
        bottomTicker_ = numbers;
        bottomAutomatic_ = false;
    }
    xAxis->setTicker(bottomTicker_);

    // The series above the grid and the axes: a line along zero or along the
    // axis line stays in sight.
    addLayer(QStringLiteral("series"), layer(QStringLiteral("axes")), QCustomPlot::limAbove);
    yAxis2->setLabelFont(chartFont(17));
    yAxis2->setTickLabelFont(chartFont(17));
    yAxis2->setTickLabels(true);
    yAxis2->setVisible(false);
    for (const SeriesLook& look : series) {
        QCPGraph* g = new SpacedMarkerGraph(xAxis, yAxis);
        g->setLayer(QStringLiteral("series"));
        g->setName(look.title);
        g->setPen(QPen(look.colour, 2));
        g->setScatterStyle(
            QCPScatterStyle(QCPScatterStyle::ssDiamond, look.colour, look.colour, 7));
        g->setLineStyle(QCPGraph::lsLine);
        // Markers drawn plain: at ten lines of a hundred thousand readings
        // smoothing them costs a third of the drawing and shows no difference.
        g->setAntialiasedScatters(false);
        g->removeFromLegend();
        g->setVisible(false);
    }
    active_.assign(series.size(), false);
    bindings_.resize(series.size());
}

QCPAxis* Chart::axis(Axis a) const {
    return a == Axis::Left ? yAxis : xAxis;
}

void Chart::clearTitle() {
    titleLines_.clear();
    title_->setText(QString());
}

void Chart::addTitleLine(const QString& line) {
    titleLines_ << line;
    title_->setText(titleLines_.join(QLatin1Char('\n')));
}

QString Chart::titleText() const {
    return title_->text();
}

void Chart::setAxisTitle(Axis a, const QString& title) {
    axis(a)->setLabel(title);
}

void Chart::setAutomatic(Axis a, bool on) {
    (a == Axis::Left ? leftAutomatic_ : bottomAutomatic_) = on;
    if (!on) return;
    resolveBindings();
    QCPRange keys, values;
    bool anyKey = false, anyValue = false;
    for (int i = 0; i < seriesCount(); ++i) {
        if (!active_[size_t(i)]) continue;
        bool found = false;
        const QCPRange k = graph(i)->getKeyRange(found);
        if (found)
            keys =
                anyKey ? QCPRange(std::min(keys.lower, k.lower), std::max(keys.upper, k.upper)) : k;
        anyKey = anyKey || found;
        if (a != Axis::Left || !onLeft(i)) continue;
        const QCPRange v = graph(i)->getValueRange(found);
        if (found)
            values = anyValue ? QCPRange(std::min(values.lower, v.lower),
                                         std::max(values.upper, v.upper))
                              : v;
        anyValue = anyValue || found;
    }
    home_.reset();
    if (a == Axis::Bottom && anyKey) {
        // A little room either side keeps the first and last markers whole.
        const double pad = keys.size() > 0 ? keys.size() * 0.02
                                           : (bottomKind_ == BottomKind::DateTime ? 43200 : 0.5);
        xAxis->setRange(keys.lower - pad, keys.upper + pad);
    } else if (a == Axis::Left && anyValue) {
        yAxis->setRange(values.size() > 0 ? values
                                          : QCPRange(values.lower - 0.5, values.upper + 0.5));
    }
}

// A bound set alone never swaps the axis round: a minimum above the old
// maximum lifts the maximum with it until it is set in turn.
void Chart::setMinimum(Axis a, double v) {
    setAutomatic(a, false);
    home_.reset();
    QCPRange r = axis(a)->range();
    r.lower = v;
    r.upper = std::max(r.upper, v);
    axis(a)->setRange(r);
}

void Chart::setMaximum(Axis a, double v) {
    setAutomatic(a, false);
    home_.reset();
    QCPRange r = axis(a)->range();
    r.upper = v;
    r.lower = std::min(r.lower, v);
    axis(a)->setRange(r);
}

void Chart::setIncrement(Axis a, double v) {
    if (a == Axis::Left) {
        static_cast<StepTicker*>(leftTicker_.data())->step = v;
    } else if (bottomKind_ == BottomKind::DateTime) {
        static_cast<StepDateTimeTicker*>(bottomTicker_.data())->stepSeconds = v * 86400.0;
    } else {
        static_cast<StepTicker*>(bottomTicker_.data())->step = v;
    }
}

void Chart::setAutomaticMinimum(Axis a) {
    setAutomatic(a, true);
}

void Chart::setDateTimeFormat(const QString& pattern) {
    if (bottomKind_ != BottomKind::DateTime) return;
    // The pattern writes minutes as n and months as m.
    QString qt;
    for (const QChar c : pattern)
        qt += c == QLatin1Char('m')   ? QLatin1Char('M')
              : c == QLatin1Char('n') ? QLatin1Char('m')
                                      : c;
    static_cast<StepDateTimeTicker*>(bottomTicker_.data())->setDateTimeFormat(qt);
}

void Chart::setNumberDecimals(Axis a, int decimals) {
    axis(a)->setNumberFormat(QStringLiteral("f"));
    axis(a)->setNumberPrecision(decimals);
    QSharedPointer<QCPAxisTicker> ticker = a == Axis::Left ? leftTicker_ : bottomTicker_;
    if (auto* numbers = dynamic_cast<StepTicker*>(ticker.data()))
        numbers->wholeSteps = decimals == 0;
}

std::pair<double, double> Chart::leftExtremes() {
    resolveBindings();
    // One pass over each series: a ten-year series is long.
    std::optional<QCPRange> all;
    for (int i = 0; i < seriesCount(); ++i) {
        if (!onLeft(i)) continue;
        bool found = false;
        const QCPRange v = graph(i)->getValueRange(found);
        if (found)
            all = all ? QCPRange(std::min(all->lower, v.lower), std::max(all->upper, v.upper)) : v;
    }
    return all ? std::pair(all->lower, all->upper) : std::pair(0.0, 0.0);
}

double Chart::dateTimeStep(int step) {
    // In days, shortest first: 11 (two hours) and 12 (six hours) label a day
    // or two of readings without crowding the axis.
    constexpr double Hour = 1.0 / 24, Minute = Hour / 60, Second = Minute / 60;
    static constexpr double steps[] = {
        Second / 1000, Second,     5 * Second,  10 * Second, 15 * Second, 30 * Second,
        Minute,        5 * Minute, 10 * Minute, 30 * Minute, Hour,        2 * Hour,
        6 * Hour,      12 * Hour,  1,           2,           7,           14,
        30.4375,       91.3125,    182.625,     365.25,
    };
    if (step < 0 || step >= int(std::size(steps))) return 1;
    return steps[step];
}

int Chart::seriesCount() const {
    return int(active_.size());
}

void Chart::clearSeries(int i) {
    bindings_[size_t(i)].reset();
    spaced(graph(i))->forgetHollow();
    graph(i)->data()->clear();
    annotation_->setText(QString()); // it described a point of the old drawing
}

void Chart::setActive(int i, bool active) {
    active_[size_t(i)] = active;
    graph(i)->setVisible(active);
    rebuildLegend();
    showRightAxis();
}

void Chart::setOnRightAxis(int i, bool right) {
    graph(i)->setValueAxis(right ? yAxis2 : yAxis);
    showRightAxis();
}

void Chart::setRightAxisTitle(const QString& title) {
    yAxis2->setLabel(title);
}

bool Chart::isOnRightAxis(int i) const {
    return graph(i)->valueAxis() == yAxis2;
}

void Chart::showRightAxis() {
    bool used = false;
    for (int i = 0; i < seriesCount(); ++i)
        used = used || (active_[size_t(i)] && isOnRightAxis(i));
    yAxis2->setVisible(used);
}

void Chart::fitRightAxis() {
    resolveBindings();
    std::optional<QCPRange> values;
    for (int i = 0; i < seriesCount(); ++i) {
        if (!active_[size_t(i)] || !isOnRightAxis(i)) continue;
        bool found = false;
        const QCPRange v = graph(i)->getValueRange(found);
        if (found)
            values = values ? QCPRange(std::min(values->lower, v.lower),
                                       std::max(values->upper, v.upper))
                            : v;
    }
    if (!values) return;
    // A tenth of the range either side (half a unit for a flat line), so that
    // neither extreme lies on the axis line.
    const double room = values->size() > 0 ? values->size() * 0.1 : 0.5;
    yAxis2->setRange(values->lower - room, values->upper + room);
}

bool Chart::isActive(int i) const {
    return active_[size_t(i)];
}

void Chart::setSeriesTitle(int i, const QString& title) {
    graph(i)->setName(title);
}

void Chart::bind(int i, const store::RowSet* rs, const QString& xColumn, const QString& yColumn) {
    graph(i)->data()->clear();
    spaced(graph(i))->forgetHollow();
    bindings_[size_t(i)] = Binding{rs, xColumn, yColumn};
}

void Chart::setHollowPoints(int i, std::vector<size_t> indices) {
    SpacedMarkerGraph* g = spaced(graph(i));
    g->hollow = std::move(indices);
    g->allHollow = false;
}

void Chart::setHollowSeries(int i, bool hollow) {
    SpacedMarkerGraph* g = spaced(graph(i));
    g->hollow.clear();
    g->allHollow = hollow;
}

std::vector<double> Chart::hollowKeys(int i) const {
    const QCPGraph* g = graph(i);
    if (!active_[size_t(i)] || !g->visible()) return {};
    return static_cast<const SpacedMarkerGraph*>(g)->drawnHollow;
}

void Chart::addPoint(int i, double x, double y) {
    resolveBindings();
    graph(i)->addData(x, y);
}

double Chart::seriesMaximumX(int i) {
    resolveBindings();
    bool found = false;
    const QCPRange r = graph(i)->getKeyRange(found);
    return found ? r.upper : 0;
}

double Chart::seriesMaximumY(int i) {
    resolveBindings();
    bool found = false;
    const QCPRange r = graph(i)->getValueRange(found);
    return found ? r.upper : 0;
}

void Chart::setPoints(int i, const std::vector<double>& keys, const std::vector<double>& values) {
    bindings_[size_t(i)].reset();
    spaced(graph(i))->forgetHollow();
    QVector<QCPGraphData> points;
    points.reserve(qsizetype(std::min(keys.size(), values.size())));
    for (size_t k = 0; k < keys.size() && k < values.size(); ++k)
        points.append(QCPGraphData(keys[k], values[k]));
    graph(i)->data()->set(points, true);
    fitBottom_ = true;
}

// Every series bound to the same row set is filled from one pass of its rows.
void Chart::resolveBindings() {
    std::map<const store::RowSet*, std::vector<int>> byRowSet;
    for (int i = 0; i < seriesCount(); ++i)
        if (bindings_[size_t(i)] && bindings_[size_t(i)]->rs)
            byRowSet[bindings_[size_t(i)]->rs].push_back(i);
        else
            bindings_[size_t(i)].reset();
    for (const auto& [rs, series] : byRowSet) {
        QStringList columns;
        auto columnOf = [&](const QString& name) {
            for (int c = 0; c < columns.size(); ++c)
                if (columns[c].compare(name, Qt::CaseInsensitive) == 0) return c;
            columns << name;
            return int(columns.size() - 1);
        };
        std::vector<std::pair<int, int>> xy; // column indexes per series
        for (const int i : series) {
            const Binding& b = *bindings_[size_t(i)];
            const int x = columnOf(b.x);
            xy.emplace_back(x, columnOf(b.y));
        }
        std::vector<QVector<QCPGraphData>> points(series.size());
        const double gap = std::numeric_limits<double>::quiet_NaN();
        try {
            const int rows = rs->RecordCount();
            for (auto& d : points)
                d.reserve(rows);
            // Each column read once per row, even when several series share it.
            std::vector<std::optional<double>> values(size_t(columns.size()));
            rs->scanStatement(columns, [&](const store::Statement* st) {
                if (!st) return;
                for (size_t c = 0; c < values.size(); ++c) {
                    values[c] = st->number(int(c) + 1);
                    if (!values[c] && st->kind(int(c) + 1) == store::Statement::Kind::Text)
                        values[c] = graphs::dateTimeKey(st->utf8(int(c) + 1));
                }
                for (size_t s = 0; s < series.size(); ++s) {
                    const std::optional<double>& x = values[size_t(xy[s].first)];
                    if (!x) continue;
                    const std::optional<double>& y = values[size_t(xy[s].second)];
                    points[s].append(QCPGraphData(*x, y.value_or(gap)));
                }
            });
        } catch (const store::Error&) {
            // A row set that cannot be read draws nothing.
        }
        for (size_t s = 0; s < series.size(); ++s) {
            graph(series[s])->data()->set(points[s], true);
            bindings_[size_t(series[s])].reset();
        }
    }
    const bool fit = fitBottom_ || !byRowSet.empty();
    fitBottom_ = false;
    if (bottomAutomatic_ && fit) setAutomatic(Axis::Bottom, true);
}

void Chart::setLevelLines(LevelSource source, std::vector<int> sideSeries) {
    levelSource_ = std::move(source);
    levelSideSeries_ = std::move(sideSeries);
    placeLevelLines();
}

std::optional<double> Chart::nearestLevelLine() const {
    std::optional<double> nearest;
    for (const DrawnLevel& l : levelsDrawn_)
        if (!nearest || std::abs(l.value) < std::abs(*nearest)) nearest = l.value;
    return nearest;
}

void Chart::placeLevelLines() {
    for (QCPAbstractItem* item : levelItems_)
        removeItem(item);
    levelItems_.clear();
    levelsDrawn_.clear();
    if (!levelSource_) return;
    resolveBindings();
    std::vector<int> shown;
    for (int i = 0; i < seriesCount(); ++i)
        if (active_[size_t(i)] && graph(i)->visible()) shown.push_back(i);
    std::optional<double> lowest, highest;
    for (const int i : levelSideSeries_) {
        if (i < 0 || i >= seriesCount() || !onLeft(i) || !graph(i)->visible()) continue;
        bool found = false;
        const QCPRange v = graph(i)->getValueRange(found);
        if (!found) continue;
        lowest = lowest ? std::min(*lowest, v.lower) : v.lower;
        highest = highest ? std::max(*highest, v.upper) : v.upper;
    }
    const double side = levelSide(lowest, highest);
    for (const LevelLine& l : levelSource_(shown)) {
        const double value = l.threshold == 0 ? 0.0 : side * l.threshold;
        auto* line = new QCPItemStraightLine(this);
        line->setPen(QPen(l.colour, 2, Qt::DashLine));
        // Across the whole width, whatever the bottom axis shows.
        for (QCPItemPosition* p : {line->point1, line->point2}) {
            p->setTypeX(QCPItemPosition::ptAxisRectRatio);
            p->setTypeY(QCPItemPosition::ptPlotCoords);
        }
        line->point1->setCoords(0, value);
        line->point2->setCoords(1, value);
        line->setSelectable(false);
        auto* label = new QCPItemText(this);
        label->position->setTypeX(QCPItemPosition::ptAxisRectRatio);
        label->position->setTypeY(QCPItemPosition::ptPlotCoords);
        label->position->setCoords(0.995, value);
        // The name beyond its line, away from the readings that have not
        // reached it.
        label->setPositionAlignment(Qt::AlignRight | (value < 0 ? Qt::AlignTop : Qt::AlignBottom));
        label->setText(l.name);
        label->setColor(l.colour);
        label->setFont(chartFont(12));
        label->setSelectable(false);
        // Over the series, on a light ground, so that a line that reached
        // the level does not hide its name.
        label->setLayer(QStringLiteral("series"));
        label->setBrush(QColor(255, 255, 255, 210));
        label->setPadding(QMargins(2, 0, 2, 0));
        levelItems_.push_back(line);
        levelItems_.push_back(label);
        levelsDrawn_.push_back({l.name, l.colour, value});
    }
}

void Chart::rebuildLegend() {
    legend->clearItems();
    for (int i = 0; i < seriesCount(); ++i)
        if (active_[size_t(i)]) legend->addItem(new CheckLegendItem(legend, graph(i), printing_));
}

void Chart::toggleFromLegend(QCPAbstractLegendItem* item) {
    auto* entry = dynamic_cast<QCPPlottableLegendItem*>(item);
    if (!entry || !entry->plottable()) return;
    entry->plottable()->setVisible(!entry->plottable()->visible());
    // The lines stand for the anchors shown.
    placeLevelLines();
    replot();
}

QString Chart::annotation() const {
    return annotation_->text();
}

void Chart::describePoint(QCPAbstractPlottable* plottable, int dataIndex) {
    auto* g = qobject_cast<QCPGraph*>(plottable);
    if (!g || dataIndex < 0 || dataIndex >= g->dataCount()) return;
    int series = -1;
    for (int i = 0; i < seriesCount(); ++i)
        if (graph(i) == g) series = i;
    const QCPGraphData point = *g->data()->at(dataIndex);
    QString text;
    if (describer_) {
        text = describer_(series, point.key, point.value);
    } else {
        const QString x = bottomKind_ == BottomKind::DateTime
                              ? QDateTime::fromSecsSinceEpoch(qint64(point.key), Qt::UTC)
                                    .toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))
                              : QString::number(point.key, 'f', 2);
        text =
            QStringLiteral("%1:  %2  %3").arg(g->name(), x, QString::number(point.value, 'f', 2));
    }
    if (spaced(g)->isHollow(dataIndex)) text += texts::SuspectPointNote;
    annotation_->setText(text);
    replot();
}

// A click on a legend entry hides or shows its series; one on a point of a
// shown series describes the point.
void Chart::clickAt(const QPoint& pos) {
    for (int i = 0; i < legend->itemCount(); ++i) {
        QCPAbstractLegendItem* item = legend->item(i);
        if (item && item->outerRect().contains(pos)) {
            toggleFromLegend(item);
            return;
        }
    }
    QCPGraph* nearest = nullptr;
    int index = -1;
    double distance = selectionTolerance();
    for (int i = seriesCount() - 1; i >= 0; --i) {
        QCPGraph* g = graph(i);
        if (!active_[size_t(i)] || !g->visible() || g->dataCount() == 0) continue;
        QVariant details;
        const double d = g->selectTest(pos, false, &details);
        const QCPDataSelection hit = details.value<QCPDataSelection>();
        if (d >= 0 && d < distance && !hit.isEmpty()) {
            distance = d;
            nearest = g;
            index = hit.dataRange().begin();
        }
    }
    if (nearest) describePoint(nearest, index);
}

// The axes choose their ticks before the layout sizes them: a drawing at a new
// size (a picture of a chart never shown, the first drawing after a resize)
// would fit its increments to the old one. Laid out again, they fit the new.
void Chart::updateLayout() {
    const QRect before = axisRect()->rect();
    QCustomPlot::updateLayout();
    if (axisRect()->rect() != before) QCustomPlot::updateLayout();
}

void Chart::rememberHome() {
    if (!home_) home_ = std::make_pair(xAxis->range(), yAxis->range());
}

void Chart::unzoom() {
    restoreHome();
    replot();
}

void Chart::restoreHome() {
    if (home_) {
        xAxis->setRange(home_->first);
        yAxis->setRange(home_->second);
        home_.reset();
    }
}

void Chart::mousePressEvent(QMouseEvent* event) {
    drag_ = Drag::None;
    leftPressed_ = event->button() == Qt::LeftButton;
    if (leftPressed_) {
        const QPointF pos = event->position();
        dragStart_ = pos.toPoint();
        for (QCPAxis* a : {xAxis, yAxis}) {
            if (a->selectTest(pos, false) >= 0) {
                drag_ = Drag::Axis;
                dragAxis_ = a;
                dragStartRange_ = a->range();
                break;
            }
        }
        if (drag_ == Drag::None && axisRect()->rect().contains(dragStart_)) drag_ = Drag::Rectangle;
    }
    QCustomPlot::mousePressEvent(event);
}

void Chart::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (drag_ == Drag::Axis && dragAxis_) {
        rememberHome();
        const bool horizontal = dragAxis_->orientation() == Qt::Horizontal;
        const double length = horizontal ? axisRect()->width() : axisRect()->height();
        if (length > 0) {
            const double perPixel = dragStartRange_.size() / length;
            const double shift = horizontal ? (dragStart_.x() - pos.x()) * perPixel
                                            : (pos.y() - dragStart_.y()) * perPixel;
            dragAxis_->setRange(dragStartRange_.lower + shift, dragStartRange_.upper + shift);
            replot(QCustomPlot::rpQueuedReplot);
        }
    } else if (drag_ == Drag::Rectangle) {
        if (!band_) band_ = new QRubberBand(QRubberBand::Rectangle, this);
        band_->setGeometry(QRect(dragStart_, pos).normalized());
        band_->show();
    }
    QCustomPlot::mouseMoveEvent(event);
}

void Chart::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (drag_ == Drag::Rectangle && band_) band_->hide();
    if (drag_ == Drag::Rectangle && std::abs(pos.x() - dragStart_.x()) >= 5) {
        if (pos.x() > dragStart_.x()) {
            // Left to right: the rectangle fills the graph.
            const QRect r = QRect(dragStart_, pos).normalized();
            if (r.height() >= 5) {
                rememberHome();
                xAxis->setRange(xAxis->pixelToCoord(r.left()), xAxis->pixelToCoord(r.right()));
                yAxis->setRange(yAxis->pixelToCoord(r.bottom()), yAxis->pixelToCoord(r.top()));
                replot();
            }
        } else {
            unzoom();
        }
    }
    const bool click = leftPressed_ && event->button() == Qt::LeftButton &&
                       (pos - dragStart_).manhattanLength() <= 3;
    leftPressed_ = false;
    drag_ = Drag::None;
    dragAxis_ = nullptr;
    QCustomPlot::mouseReleaseEvent(event);
    if (click) clickAt(pos);
}

QSize Chart::pictureSize() const {
    return {width() > 50 ? width() : 850, height() > 50 ? height() : 560};
}

template <class F> auto Chart::asPrinted(F&& f) {
    resolveBindings();
    const QString caption = annotation_->text();
    std::vector<QCPDataSelection> selections;
    for (int i = 0; i < graphCount(); ++i) {
        selections.push_back(graph(i)->selection());
        graph(i)->setSelection(QCPDataSelection());
    }
    printing_ = true;
    annotation_->setText(QString());
    annotation_->setVisible(false);
    struct Restore {
        Chart& chart;
        const QString& caption;
        std::vector<QCPDataSelection>& selections;
        ~Restore() {
            chart.printing_ = false;
            chart.annotation_->setVisible(true);
            chart.annotation_->setText(caption);
            for (int i = 0; i < chart.graphCount() && size_t(i) < selections.size(); ++i)
                chart.graph(i)->setSelection(selections[size_t(i)]);
        }
    } restore{*this, caption, selections};
    return f();
}

bool Chart::exportJpeg(const QString& path, int pictureWidth) {
    const QSize size = pictureSize();
    const double scale = pictureWidth > 0 ? double(pictureWidth) / size.width() : 1.0;
    const QPixmap picture = asPrinted([&] { return toPixmap(size.width(), size.height(), scale); });
    if (picture.isNull()) return false;
    // Written beside the target and renamed into place: a viewer holding the
    // old picture never sees half a file, and a failure leaves the old one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!picture.save(&file, "JPG", 92)) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return file.commit();
}

void Chart::render(QCPPainter& painter, const QRectF& rect) {
    const QSize size = pictureSize();
    asPrinted([&] {
        painter.save();
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        painter.translate(rect.topLeft());
        painter.scale(rect.width() / size.width(), rect.height() / size.height());
        toPainter(&painter, size.width(), size.height());
        painter.restore();
        return 0;
    });
}

Chart* makeTimeChart(QWidget* parent) {
    const std::vector<QColor> colours{{0, 0, 0},     {0, 0, 255},   {255, 0, 0},    {0, 128, 0},
                                      {128, 0, 255}, {255, 0, 255}, {255, 128, 0},  {128, 128, 255},
                                      {255, 255, 0}, {128, 64, 0},  {128, 255, 128}};
    std::vector<Chart::SeriesLook> series;
    for (size_t i = 0; i < colours.size(); ++i)
        series.push_back({i == 0 ? texts::TimeTitle : texts::DesignSeriesTitle, colours[i]});
    auto* chart = new Chart(series, Chart::BottomKind::DateTime, texts::TimeLegendTitle, parent);
    chart->setAxisTitle(Chart::Axis::Left, texts::LeftAxisTitle);
    return chart;
}

Chart* makeLengthChart(QWidget* parent) {
    const std::vector<QColor> colours{
        {0, 0, 0},     {0, 0, 255},     {255, 0, 0},   {0, 128, 0},  {128, 0, 255},   {255, 0, 255},
        {255, 128, 0}, {128, 128, 255}, {255, 255, 0}, {128, 64, 0}, {128, 255, 128}, {0, 128, 255},
        {128, 0, 64},  {128, 128, 0},   {64, 0, 128},  {0, 128, 128}};
    std::vector<Chart::SeriesLook> series;
    for (size_t i = 0; i < colours.size(); ++i)
        series.push_back(
            {i == 0 ? texts::LengthUnusedTitle : texts::DesignSeriesTitle, colours[i]});
    auto* chart = new Chart(series, Chart::BottomKind::Number, texts::LengthLegendTitle, parent);
    chart->setAxisTitle(Chart::Axis::Left, texts::LeftAxisTitle);
    chart->setAxisTitle(Chart::Axis::Bottom, texts::LengthBottomTitle);
    chart->setNumberDecimals(Chart::Axis::Bottom, 0);
    chart->setMinimum(Chart::Axis::Bottom, 0);
    chart->setMaximum(Chart::Axis::Bottom, 1);
    return chart;
}

} // namespace graphs
