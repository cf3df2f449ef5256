// Sets number columns of many rows of one table, each row found by its rowid.
// On a file each row is one prepared UPDATE, as cheap as it gets there. On a
// server a round trip a row would cost far more than the work, so the rows are
// sent many at a time as arrays in one statement; a handful of rows (a graph
// entered again after a few new readings) still go one by one, since the
// batch joins the whole table.
#pragma once

#include "store/Database.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace store {

class BatchUpdate {
public:
    // Use inside a transaction: on a server a row is written when its batch
    // is sent, at a later run() or at finish().
    // batchRows: the rows a server batch holds.
    BatchUpdate(Database& db, const QString& table, const QStringList& columns,
                int batchRows = ServerBatchRows);

    // The value of the column-th column (from 1) of the next row; none stores NULL.
    void bind(int column, std::optional<double> value);
    // The values bound so far go to the row of this rowid.
    void run(qint64 rowid);
    // Every row given is written; throws store::Error as a statement does.
    void finish();

    // Rows a server batch holds, and the fewest sent as one.
    static constexpr int ServerBatchRows = 20000;
    static constexpr int ServerBatchLeast = 64;

private:
    void runOne(const std::vector<std::optional<double>>& values, qint64 rowid);
    void send();

    std::vector<std::optional<double>> row_;
    std::optional<Statement> oneRow_;
    std::optional<Statement> manyRows_;
    // A server's rows not yet sent: their values, column after column, and rowids.
    std::vector<std::optional<double>> pendingValues_;
    std::vector<qint64> pendingRowids_;
    size_t batchRows_;
};

} // namespace store
