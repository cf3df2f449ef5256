// The report's pages drawn on a PDF writer: the same pages as the .docx, laid
// out here because a PDF has no word processor to lay them out.
#include "outputs/ReportDocument.h"
#include "outputs/Texts.h"
#include "store/Error.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <memory>

namespace outputs {

namespace {

// Twips as the unit: the .docx's numbers hold here too.
constexpr int Dpi = 1440;
constexpr int Margin = 1440;
constexpr int HeaderDistance = 720;
constexpr int RuledLine = 400;
constexpr int TwipsPerPixel = 15; // 96 pixels to the inch, as the .docx places a picture

QFont font(int points, bool bold) {
    QFont f(QStringLiteral("Calibri"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(points);
    f.setBold(bold);
    return f;
}

// One pass over the report: without a painter it only counts the pages, so
// that the painting pass can number them "of M".
class Pages {
public:
    Pages(QPdfWriter& writer, QPainter* painter, const Report& report, int pageCount)
        : writer_(writer), painter_(painter), report_(report), pageCount_(pageCount),
          page_(localPageTwips()), logo_(report.logo.isEmpty() ? QImage() : QImage(report.logo)) {
        int top = Margin;
        if (!logo_.isNull()) {
            QSizeF size = QSizeF(logo_.size()) * TwipsPerPixel;
            size.scale(std::min(size.width(), double(textWidth())), std::min(size.height(), 1440.0),
                       Qt::KeepAspectRatio);
            logoRect_ = QRectF(Margin + (textWidth() - size.width()) / 2, HeaderDistance,
                               size.width(), size.height());
            top = std::max(Margin, HeaderDistance + int(size.height()) + 240);
        }
        top_ = top;
    }

    int run() {
        startPage(false);
        const ReportSensor& s = report_.sensor;
        const QFont body = font(12, false);
        line({}, font(16, true));
        line(texts::reportTitle(s.InstrumentID), font(16, true));
        line({}, body);
        for (const QString& text :
             {texts::ReportDateLine + reportDateText(report_.date),
              texts::SensorNumberLine + s.InstrumentID,
              texts::SensorTypeLine + s.Family + QLatin1Char(' ') + s.Model,
              texts::DateInstalledLine + s.InstallDate, texts::InstalledByLine + s.InstallBy,
              texts::LevelLine + s.Level, texts::LocationLine + s.Location,
              texts::PurposeLine + s.Purpose, texts::NotesLine + s.Notes})
            line(text, body);
        if (report_.anchors) {
            line({}, body);
            line(texts::AnchorsHeading, font(12, true));
            y_ += 120;
            const AnchorTable& a = *report_.anchors;
            std::vector<std::vector<QString>> rows;
            for (const AnchorRow& r : a.rows)
                rows.push_back(
                    {r.anchor, r.depthFromHead, r.depthFromRoof, r.displacement, r.zeroReading});
            table({texts::AnchorTitle,
                   a.headAtCollar ? texts::DepthFromCollarTitle : texts::DepthFromToeTitle,
                   texts::DepthFromRoofTitle, texts::DisplacementTitle, texts::ZeroReadingTitle},
                  rows, AnchorColumnWeights);
            line(texts::latestReadingLine(a.latestReading), body);
            if (!a.zeros.empty()) {
                rows.clear();
                for (const ZeroRow& z : a.zeros)
                    rows.push_back(z.cells());
                line({}, body);
                line(texts::ZeroReadingsHeading, font(12, true));
                y_ += 120;
                table(texts::ZeroReadingsHeader, rows, texts::ZeroReadingsWeights);
            }
        }
        if (report_.levels) {
            const ReportLevels& l = *report_.levels;
            line({}, body);
            line(texts::TriggerLevelsHeading, font(12, true));
            y_ += 120;
            if (l.rows.empty()) {
                line(texts::NoTriggerLevels, body);
            } else {
                table(texts::TriggerLevelsHeader, l.rows, texts::TriggerLevelsWeights);
                line(texts::rateWindowLine(l.window), body);
            }
            line(texts::staleAfterLine(l.staleAfter), body);
            line({}, body);
            line(texts::statusHeading(l.statusAt), font(12, true));
            y_ += 120;
            table(texts::StatusHeader, {l.status}, texts::StatusWeights);
        }
        for (const ReportGraph& g : report_.graphs)
            graph(g);
        return page_number_;
    }

private:
    int textWidth() const { return page_.width() - 2 * Margin; }
    int bottom() const { return page_.height() - Margin; }
    QFontMetricsF metrics(const QFont& f) const { return QFontMetricsF(f, &writer_); }

    void startPage(bool next) {
        if (next && painter_) writer_.newPage();
        ++page_number_;
        y_ = top_;
        if (!painter_) return;
        if (!logo_.isNull()) painter_->drawImage(logoRect_, logo_);
        const QFont f = font(10, false);
        const double h = metrics(f).lineSpacing();
        painter_->setFont(f);
        painter_->setPen(Qt::black);
        painter_->drawText(QRectF(Margin, page_.height() - HeaderDistance - h, textWidth(), h),
                           Qt::AlignHCenter | Qt::AlignBottom,
                           texts::ReportPageFooter.arg(page_number_).arg(pageCount_));
    }

    // A paragraph, wrapped at the margins; on the next page when it does not fit.
    void line(const QString& text, const QFont& f) {
        const QFontMetricsF m = metrics(f);
        const QRectF box =
            m.boundingRect(QRectF(0, 0, textWidth(), 1e7), Qt::TextWordWrap | Qt::AlignLeft, text);
        const double h = std::max(box.height(), m.lineSpacing());
        if (y_ + h > bottom()) startPage(true);
        if (painter_ && !text.isEmpty()) {
            painter_->setFont(f);
            painter_->setPen(Qt::black);
            painter_->drawText(QRectF(Margin, y_, textWidth(), h),
                               Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
        }
        y_ += h;
    }

    // Columns as wide as the .docx makes them, by their weights.
    void table(const std::vector<QString>& header, const std::vector<std::vector<QString>>& rows,
               const std::vector<int>& weights) {
        const size_t n = header.size();
        double all = 0;
        for (size_t c = 0; c < n; ++c)
            all += c < weights.size() ? weights[c] : 1;
        std::vector<double> widths(n);
        for (size_t c = 0; c < n; ++c)
            widths[c] = textWidth() * (c < weights.size() ? weights[c] : 1) / all;
        constexpr double Pad = 108;
        const auto rowHeight = [&](const std::vector<QString>& cells, const QFont& f) {
            double h = metrics(f).lineSpacing();
            for (size_t c = 0; c < n; ++c)
                h = std::max(h, metrics(f)
                                    .boundingRect(QRectF(0, 0, widths[c] - 2 * Pad, 1e7),
                                                  Qt::TextWordWrap | Qt::AlignHCenter,
                                                  c < cells.size() ? cells[c] : QString())
                                    .height());
            return h + 2 * 40;
        };
        const auto row = [&](const std::vector<QString>& cells, const QFont& f, bool shaded) {
            const double h = rowHeight(cells, f);
            if (!painter_) {
                y_ += h;
                return;
            }
            double x = Margin;
            painter_->setFont(f);
            for (size_t c = 0; c < n; ++c) {
                const QRectF cell(x, y_, widths[c], h);
                if (shaded) painter_->fillRect(cell, QColor(235, 235, 235));
                painter_->setPen(QPen(Qt::black, 10));
                painter_->drawRect(cell);
                painter_->drawText(cell.adjusted(Pad, 40, -Pad, -40),
                                   Qt::TextWordWrap | Qt::AlignHCenter | Qt::AlignVCenter,
                                   c < cells.size() ? cells[c] : QString());
                x += widths[c];
            }
            y_ += h;
        };
        const QFont bold = font(11, true), plain = font(11, false);
        const double headerHeight = rowHeight(header, bold);
        if (y_ + headerHeight + rowHeight(header, plain) > bottom()) startPage(true);
        row(header, bold, true);
        for (const std::vector<QString>& cells : rows) {
            // A table that runs on takes its titles along.
            if (y_ + rowHeight(cells, plain) > bottom()) {
                startPage(true);
                row(header, bold, true);
            }
            row(cells, plain, false);
        }
        y_ += 120;
    }

    // A page of its own: the heading, the chart as wide as the text, and ruled
    // notes lines to the foot of the page.
    void graph(const ReportGraph& g) {
        startPage(true);
        line(g.heading, font(12, true));
        y_ += 120;
        const double w = textWidth();
        const double shape = g.shape.isValid() && g.shape.width() > 0
                                 ? double(g.shape.height()) / g.shape.width()
                                 : 0.75;
        const double h = std::min(w * shape, (bottom() - top_) * 3.0 / 4.0);
        const QRectF rect(Margin, y_, w, h);
        if (painter_ && g.draw) {
            painter_->save();
            g.draw(*painter_, rect);
            painter_->restore();
        }
        y_ += h + 120;
        line(texts::GraphNotesLine, font(12, false));
        if (!painter_) return;
        painter_->setPen(QPen(QColor(0xA6, 0xA6, 0xA6), 10));
        for (double ruled = y_ + RuledLine; ruled <= bottom(); ruled += RuledLine)
            painter_->drawLine(QPointF(Margin, ruled), QPointF(Margin + w, ruled));
    }

    QPdfWriter& writer_;
    QPainter* painter_;
    const Report& report_;
    const int pageCount_;
    const QSize page_;
    const QImage logo_;
    QRectF logoRect_;
    int top_ = Margin;
    int page_number_ = 0;
    double y_ = 0;
};

} // namespace

void saveReportPdf(const Report& report, const QString& target, const PdfPainterFor& painterFor) {
    writeAside(target, [&](const QString& temporary) {
        QPdfWriter writer(temporary);
        writer.setResolution(Dpi);
        const QSize page = localPageTwips();
        writer.setPageSize(QPageSize(QSizeF(page) / Dpi, QPageSize::Inch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setTitle(texts::reportTitle(report.sensor.InstrumentID));
        writer.setCreator(QStringLiteral("Tolvane"));
        const int pages = Pages(writer, nullptr, report, 0).run();
        std::unique_ptr<QPainter> painter =
            painterFor ? painterFor(writer) : std::make_unique<QPainter>(&writer);
        if (!painter || !painter->isActive())
            throw store::Error(store::code::CantOpen,
                               QStringLiteral("Could not write the document ") + temporary);
        Pages(writer, painter.get(), report, pages).run();
        if (!painter->end() || QFileInfo(temporary).size() == 0)
            throw store::Error(store::code::CantOpen,
                               QStringLiteral("Could not write the document ") + temporary);
    });
}

} // namespace outputs
