// The charting component of the graph tabs: QCustomPlot with a fixed list of
// line series and the operations the graphs use, plus the interactions the
// graph tips promise (drag over an axis scrolls it, a rectangle dragged left to
// right zooms in and right to left zooms out, a check box per legend entry, a
// click on a point describes it under the chart).
#pragma once

#include "graphs/LevelLines.h"

#include <qcustomplot.h>

#include <QPointer>
#include <QString>

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

class QRubberBand;

namespace store {
class RowSet;
}

namespace graphs {

class Chart : public QCustomPlot {
    Q_OBJECT
public:
    struct SeriesLook {
        QString title;
        QColor colour;
    };
    enum class Axis { Left, Bottom };
    enum class BottomKind { DateTime, Number };

    Chart(const std::vector<SeriesLook>& series, BottomKind bottom, const QString& legendTitle,
          QWidget* parent = nullptr);

    // Title.
    void clearTitle();
    void addTitleLine(const QString& line);
    QString titleText() const;

    // Axes. A minimum, maximum or increment set here is exactly what the axis
    // shows; automatic scaling fits the axis to the active series.
    void setAxisTitle(Axis axis, const QString& title);
    void setAutomatic(Axis axis, bool on);
    void setMinimum(Axis axis, double v);
    void setMaximum(Axis axis, double v);
    void setIncrement(Axis axis, double v);
    void setAutomaticMinimum(Axis axis);
    // Date-time labels by a pattern such as "yyyy/mm/dd" or "hh:nn" (n: minutes).
    void setDateTimeFormat(const QString& pattern);
    // Number labels with this many decimals.
    void setNumberDecimals(Axis axis, int decimals);
    // The smallest and largest values of the active series drawn against the
    // left axis (0 when there are none), in one pass.
    std::pair<double, double> leftExtremes();

    // Series i against the right-hand axis instead of the left one. The right
    // axis shows while an active series uses it; fitRightAxis() fits its range
    // to those series, with a little room either side.
    void setOnRightAxis(int i, bool right);
    bool isOnRightAxis(int i) const;
    void setRightAxisTitle(const QString& title);
    void fitRightAxis();

    // The predefined date-time steps, in days; 11 and 12 are under a day.
    static double dateTimeStep(int step);

    // Series by index.
    int seriesCount() const;
    void clearSeries(int i);
    void setActive(int i, bool active);
    bool isActive(int i) const;
    void setSeriesTitle(int i, const QString& title);
    // One point per row of rs, in row order. X a date-time ("yyyy-MM-dd HH:mm:ss"
    // text) or a number, Y a number; a row without a Y value leaves a gap. The
    // rows are read at the next drawing, for all the bound series at once.
    void bind(int i, const store::RowSet* rs, const QString& xColumn, const QString& yColumn);
    // The points given, in key order; as a bound series, they are fitted at
    // the next drawing.
    void setPoints(int i, const std::vector<double>& keys, const std::vector<double>& values);
    void addPoint(int i, double x, double y);
    // Points drawn with a hollow marker (an open circle in the series' colour,
    // white inside): suspect readings. indices: ascending positions in the
    // points setPoints gave; setPoints, bind and clearSeries forget them.
    void setHollowPoints(int i, std::vector<size_t> indices);
    // Every point of series i hollow (a suspect profile), added points too.
    void setHollowSeries(int i, bool hollow);
    // The keys of the points series i had drawn hollow in view at its last
    // drawing; none while the series is not shown.
    std::vector<double> hollowKeys(int i) const;
    double seriesMaximumX(int i);
    double seriesMaximumY(int i);

    // Trigger-level lines: dashed in the level's colour across the graph at
    // its threshold on the left axis, labelled with its name, kept out of the
    // legend. source gives the lines for the series shown (active and ticked);
    // they are placed again whenever a legend box hides or shows a series, on
    // the side of zero where the shown values of sideSeries lie. An empty
    // source draws none.
    using LevelSource = std::function<std::vector<LevelLine>(const std::vector<int>& shown)>;
    void setLevelLines(LevelSource source, std::vector<int> sideSeries);
    struct DrawnLevel {
        QString name;
        QColor colour;
        double value = 0; // signed, on the left axis
    };
    const std::vector<DrawnLevel>& levelLinesDrawn() const { return levelsDrawn_; }
    // The drawn line nearest zero: the one AutoScale makes room for.
    std::optional<double> nearestLevelLine() const;

    // The view the graph rules set, again.
    void unzoom();
    // The drawn view back, without drawing: for a graph about to be drawn anew.
    void restoreHome();
    // The width of an exported picture: a page's width at print resolution.
    static constexpr int PrintWidth = 2400;
    // The graph as last drawn, as a JPEG file width pixels wide: the graph alone
    // (no check boxes, no caption of a clicked point, no selection), in the
    // proportions and with the look it has on screen. False when it cannot be
    // written; an existing file is then left as it was.
    bool exportJpeg(const QString& path, int width = PrintWidth);
    // The same graph drawn as vectors into rect of the painter's device (a
    // PDF page): laid out at pictureSize() and scaled to fill rect, so that it
    // looks as on screen. The painter must be active.
    void render(QCPPainter& painter, const QRectF& rect);
    // The size the chart is laid out at for a picture: its own once shown.
    QSize pictureSize() const;

    // The text of the annotation under the chart (empty until a point is clicked).
    QString annotation() const;
    // Says what a clicked point is; the default names the series, the point's
    // date and time (or X) and its value.
    using Describer = std::function<QString(int series, double x, double y)>;
    void setDescriber(Describer describer) { describer_ = std::move(describer); }

protected:
    void updateLayout() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct Binding {
        const store::RowSet* rs = nullptr;
        QString x, y;
    };
    QCPAxis* axis(Axis a) const;
    // Whether series i counts for the left axis's range.
    bool onLeft(int i) const { return active_[size_t(i)] && graph(i)->valueAxis() == yAxis; }
    void showRightAxis();
    void rebuildLegend();
    void resolveBindings();
    void rememberHome();
    void clickAt(const QPoint& pos);
    void describePoint(QCPAbstractPlottable* plottable, int dataIndex);
    void toggleFromLegend(QCPAbstractLegendItem* item);
    void placeLevelLines();
    // Runs f with the chart as printed: the legend without check boxes, no
    // caption, no selection; the screen's look returns afterwards.
    template <class F> auto asPrinted(F&& f);

    BottomKind bottomKind_;
    QCPTextElement* title_ = nullptr;
    QCPTextElement* annotation_ = nullptr;
    QCPTextElement* legendTitle_ = nullptr;
    QStringList titleLines_;
    std::vector<bool> active_;
    std::vector<std::optional<Binding>> bindings_;
    QSharedPointer<QCPAxisTicker> leftTicker_, bottomTicker_;
    bool leftAutomatic_ = false, bottomAutomatic_ = true;
    bool fitBottom_ = false; // points were set since the bottom axis was last fitted
    bool printing_ = false;  // drawn for a picture or a page, not the screen
    Describer describer_;
    LevelSource levelSource_;
    std::vector<int> levelSideSeries_;
    std::vector<QCPAbstractItem*> levelItems_;
    std::vector<DrawnLevel> levelsDrawn_;

    // Mouse interactions.
    enum class Drag { None, Axis, Rectangle };
    Drag drag_ = Drag::None;
    bool leftPressed_ = false;
    QCPAxis* dragAxis_ = nullptr;
    QCPRange dragStartRange_;
    QPoint dragStart_;
    QPointer<QRubberBand> band_;
    std::optional<std::pair<QCPRange, QCPRange>> home_; // bottom, left before the user moved them
};

// The points of a series that get a marker: those standing at least spacing
// pixels from both neighbours along the key axis (x when horizontal).
QVector<QPointF> markersApart(const QVector<QPointF>& points, bool horizontal, double spacing);

// ChartT and ChartS as designed: their series, colours and legend titles.
Chart* makeTimeChart(QWidget* parent = nullptr);
Chart* makeLengthChart(QWidget* parent = nullptr);

} // namespace graphs
