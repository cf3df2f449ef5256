// A keyset cursor over one table: the ordered rowids are read once, a row's
// values when it becomes current. Writes go straight to the table by rowid.
#pragma once

#include "store/Criteria.h"
#include "store/Database.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <unordered_map>
#include <vector>

namespace store {

class RowSet {
public:
    // AbsolutePosition when no row is current.
    static constexpr int PosBOF = -2;
    static constexpr int PosEOF = -3;

    // Opens "SELECT <columns> FROM <table> [WHERE ...] [ORDER BY ...][;]" and
    // makes the first row current. Other forms raise store::Error.
    RowSet(Database& db, const QString& sql);
    ~RowSet();
    RowSet(const RowSet&) = delete;
    RowSet& operator=(const RowSet&) = delete;

    bool isOpen() const { return db_ != nullptr; }
    // The connection the set reads; a closed set raises store::Error.
    Database& database() const;
    // Stores a pending edit, then releases the row set.
    void Close();

    const QString& tableName() const { return table_; }
    const QString& source() const { return sql_; }

    // ---- position
    int RecordCount() const;
    bool isBOF() const;
    bool isEOF() const;
    void MoveFirst();
    void MoveNext();
    void MovePrevious();
    void MoveLast();
    int AbsolutePosition() const; // 1-based, or PosBOF / PosEOF
    void setAbsolutePosition(int position);
    // The rowid of the current row: stable across Requery, never 0.
    qint64 Bookmark() const;
    void setBookmark(qint64 bookmark);

    // Moves to the first row at or after the current one that meets the criteria
    // (exact text comparison), else to EOF. One query, however long the set.
    void Find(const QString& criteria);
    // Narrows the set to rows meeting the criteria (letter case ignored in text
    // values) and moves to the first; an empty text clears the filter.
    void Filter(const QString& criteria);
    void clearFilter() { Filter(QString()); }
    const QString& filter() const { return filterText_; }
    // Reads the keyset again; the current row stays current if it still qualifies,
    // otherwise the first row is current. When nothing but this set's own writes
    // changed the table since it was read, only the rows it wrote are placed
    // again (a few indexed look-ups each), however long the set.
    void Requery();

    // ---- fields
    int fieldCount() const { return int(columns_.size()); }
    QString fieldName(int index) const;
    int fieldIndex(const QString& name) const; // -1 when absent; letter case ignored
    QVariant value(const QString& name) const;
    QVariant value(int index) const;
    // Starts an edit of the current row (or fills the new row of AddNew). A value
    // the column cannot hold is refused here: text that is not a number in a
    // number column, for instance. Empty text in a number column is no value.
    void setValue(const QString& name, const QVariant& value);
    void setValue(int index, const QVariant& value);

    // ---- changes
    void AddNew();
    // Stores the pending edit or new row. A new row is appended as the last row
    // of the set and stays current. Moving off a row stores its edit the same way.
    void Update();
    void CancelUpdate();
    bool isEditing() const { return mode_ != Mode::None; }
    // What the pending edit of the current row would change: the columns set
    // whose value differs from the stored one, in column order. Empty when no
    // row is being edited, or for a new row of AddNew.
    struct FieldChange {
        QString field;
        QVariant before, after;
    };
    std::vector<FieldChange> pendingChanges() const;
    // Removes the current row from the table. The next MoveNext goes to the row
    // that followed it; until then no row is current.
    void Delete();

    // Values of count rows from the 0-based index first, in set order, read in bulk.
    std::vector<std::vector<QVariant>> fetchRows(int first, int count) const;
    // One column of every row, in set order, read in one pass of the table.
    QVariantList columnValues(const QString& name) const;
    // Some columns of every row, in set order, read in one pass of the table;
    // visit gets each row's values in the order of names.
    void scanRows(const QStringList& names,
                  const std::function<void(const std::vector<QVariant>&)>& visit) const;
    // The same without making values: visit reads columns 1..names.size() of
    // the statement (0 is the rowid); nullptr for a row gone since the keyset
    // was read.
    void scanStatement(const QStringList& names,
                       const std::function<void(const Statement*)>& visit) const;
    // Keeps one column's values beside the keyset (a register's numbers for its
    // list), read with it and kept up to date by this set's own writes, so that
    // columnValues of that column reads nothing.
    void keepColumn(const QString& name);

private:
    enum class Kind { Any, Text, Real, Integer };
    struct Column {
        QString name;
        Kind kind = Kind::Any;
    };
    enum class Mode { None, Edit, Add };

    void requireOpen() const;
    // The query's WHERE with the filter, as one condition.
    Criteria condition() const;
    Statement orderedQuery(const QString& selectList) const;
    void rebuildKeyset();
    // Sort keys: each ORDER BY term a plain column, so that two rows can be
    // compared in SQL. False when the order is something else.
    bool parseOrder();
    bool requeryOwnWrites();
    void placeAgain(qint64 rowid);
    // Brackets a write of this set: whether nothing else changed the table
    // since the set last looked, and afterwards the new stamp and the row.
    bool ownWriteBegins();
    void ownWriteEnds(bool tracked, qint64 rowid);
    void commitPending();
    bool hasCurrent() const;
    qint64 currentRowid() const;
    int positionOf(qint64 rowid) const; // -1 when not in the set
    const std::vector<QVariant>& currentValues() const;
    int checkedIndex(const QString& name) const;
    void checkIndex(int index) const;
    QVariant convertFor(const Column& column, const QVariant& value) const;
    [[noreturn]] void noCurrentRow() const;

    Database* db_;
    QString sql_;
    QString table_;    // unquoted name
    QString tableSql_; // as written in the query
    QString selectList_;
    QString where_;   // without the keyword
    QString orderBy_; // without the keyword
    QString filterText_;
    QString fetchSql_;

    std::vector<Column> columns_;
    std::unordered_map<QString, int> byName_; // lower-case name -> index

    std::vector<qint64> keys_;
    int keptColumn_ = -1;              // index of the column kept beside the keyset
    std::vector<QVariant> keptValues_; // its values, parallel to keys_
    int pos_ = 0;                      // -1 before the first row, keys_.size() after the last
    bool currentDeleted_ = false;      // Delete leaves pos_ on the row that followed
    // Reading tables are mostly written in time order, so their keysets are
    // usually sorted by rowid and a position is a binary search away; other
    // orders get a map, built on demand.
    enum class KeyOrder { Ascending, Descending, Unordered };
    KeyOrder keyOrder_ = KeyOrder::Ascending;
    mutable std::unordered_map<qint64, int> positions_;

    mutable int linearLookups_ = 0;

    // Own writes since the keyset was read, while nothing else changed the table.
    bool orderable_ = false;
    QString beforeSql_; // 1 when row ?1 sorts before row ?2
    Database::ChangeStamp stamp_;
    std::vector<qint64> written_;

    mutable qint64 cachedRowid_ = 0;
    mutable std::vector<QVariant> cache_;

    Mode mode_ = Mode::None;
    std::vector<QVariant> editValues_;
    std::vector<bool> dirty_;
};

} // namespace store
