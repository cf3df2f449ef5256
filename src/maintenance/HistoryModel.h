// The audit trail as a grid: one row per entry, oldest first. The ids of the
// entries that match are read at once; their values a page at a time, as the
// view shows them, so that a trail of any length opens at once.
#pragma once

#include "store/Audit.h"

#include <QAbstractTableModel>

#include <map>
#include <vector>

namespace maintenance {

// One line of text that cannot break a row: control characters as their
// visible symbols, line ends as "↵"; a text longer than most characters cut
// with an ellipsis.
QString elidedCell(const QString& text, int most = 80);
// The whole text with its control characters as visible symbols; line ends
// and tabs kept.
QString visibleText(const QString& text);

class HistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { When, Who, Operation, Sensor, Target, OldValue, NewValue, Count, Note, Columns };

    explicit HistoryModel(store::Database& db, QObject* parent = nullptr);

    // Reads the ids of the entries that match again.
    void setQuery(const store::AuditQuery& query);
    const store::AuditQuery& query() const { return query_; }

    // A cell's stored text, whole.
    QString fullText(const QModelIndex& index) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    static constexpr int PageSize = 256;
    // Kept pages; the oldest read goes when there are more.
    static constexpr size_t KeptPages = 64;

    const store::AuditRecord* record(int row) const;

    store::Database& db_;
    store::AuditQuery query_;
    std::vector<qint64> ids_;
    mutable std::map<int, std::vector<store::AuditRecord>> pages_;
    mutable std::vector<int> pageOrder_; // pages by the time they were read
};

} // namespace maintenance
