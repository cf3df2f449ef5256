#include "levels/StatusExport.h"

#include "outputs/WordDocument.h"
#include "outputs/Workbook.h"
#include "store/Error.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

namespace levels {

void exportStatusWorkbook(const StatusModel& model, const QString& path) {
    std::vector<outputs::SheetColumn> columns;
    for (int c = 0; c < StatusModel::ColumnCount; ++c) {
        outputs::SheetColumn column;
        column.title = StatusModel::titles()[c];
        column.kind =
            c == StatusModel::Anchor || c == StatusModel::Displacement || c == StatusModel::Rate
                ? outputs::SheetKind::Number
            : c == StatusModel::Latest ? outputs::SheetKind::DateTime
                                       : outputs::SheetKind::Text;
        columns.push_back(column);
    }
    outputs::WorkbookWriter book(path);
    const int sheet = book.addSheet(QStringLiteral("Status"), columns);
    for (int r = 0; r < model.rowCount(); ++r) {
        std::vector<QVariant> cells;
        std::vector<QColor> fills;
        for (int c = 0; c < StatusModel::ColumnCount; ++c) {
            const QString text = model.cellText(r, c);
            cells.push_back(text.isEmpty() ? QVariant() : QVariant(text));
            fills.push_back(model.index(r, c).data(Qt::BackgroundRole).value<QColor>());
        }
        book.addRow(sheet, cells, fills);
    }
    book.finish();
}

void printStatusPdf(const StatusModel& model, const QString& title, const QString& path) {
    QString html = QStringLiteral("<h2>%1</h2><table border=\"1\" cellspacing=\"0\" "
                                  "cellpadding=\"3\" width=\"100%\"><tr>")
                       .arg(title.toHtmlEscaped());
    for (const QString& t : StatusModel::titles())
        html += QStringLiteral("<th bgcolor=\"#e0e0e0\">%1</th>").arg(t.toHtmlEscaped());
    html += QStringLiteral("</tr>");
    for (int r = 0; r < model.rowCount(); ++r) {
        html += QStringLiteral("<tr>");
        for (int c = 0; c < StatusModel::ColumnCount; ++c) {
            const QModelIndex index = model.index(r, c);
            const QVariant bg = model.data(index, Qt::BackgroundRole);
            const QVariant fg = model.data(index, Qt::ForegroundRole);
            QString cell = model.cellText(r, c).toHtmlEscaped();
            if (fg.isValid())
                cell = QStringLiteral("<font color=\"%1\">%2</font>")
                           .arg(fg.value<QColor>().name(), cell);
            html += bg.isValid() ? QStringLiteral("<td bgcolor=\"%1\">%2</td>")
                                       .arg(bg.value<QColor>().name(), cell)
                                 : QStringLiteral("<td>%1</td>").arg(cell);
        }
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>");
    outputs::writeAside(path, [&](const QString& temporary) {
        QPdfWriter writer(temporary);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                         QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Tolvane"));
        QTextDocument document;
        document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 8));
        document.setHtml(html);
        document.print(&writer);
        if (QFileInfo(temporary).size() == 0)
            throw store::Error(store::code::CantOpen,
                               QStringLiteral("Could not write the document ") + temporary);
    });
}

} // namespace levels
