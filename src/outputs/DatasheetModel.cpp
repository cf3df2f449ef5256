#include "outputs/DatasheetModel.h"

#include "outputs/QualitySheet.h"
#include "outputs/Texts.h"
#include "readings/ReadingStore.h"
#include "store/Audit.h"
#include "store/Database.h"
#include "store/RowSet.h"

#include <QColor>

#include <algorithm>

namespace outputs {

DatasheetModel::DatasheetModel(QObject* parent) : QAbstractTableModel(parent) {}

bool DatasheetModel::populate(store::RowSet* rs, const QString& sensorNumber) {
    beginResetModel();
    rs_ = nullptr;
    rows_ = 0;
    columns_.clear();
    fields_.clear();
    edits_.clear();
    pages_.clear();
    pageOrder_.clear();
    changed_ = false;
    const bool bound = rs && rs->isOpen();
    if (bound) {
        rs_ = rs;
        rows_ = rs->RecordCount();
        columns_ = datasheetColumns(sensorNumber);
        for (const DatasheetColumn& c : columns_)
            fields_.push_back(rs->fieldIndex(c.field));
        sensor_ = sensorNumber;
        flags_ = readings::qualityFlags(rs->database(), sensorNumber);
    } else {
        sensor_.clear();
        flags_.clear();
    }
    endResetModel();
    return bound;
}

readings::Quality DatasheetModel::quality(int row) const {
    if (flags_.isEmpty()) return readings::Quality::Valid;
    const auto it = flags_.constFind(key(row));
    return it == flags_.constEnd() ? readings::Quality::Valid : it->quality;
}

void DatasheetModel::readQuality() {
    if (!rs_) return;
    QHash<QString, readings::QualityFlag> flags = readings::qualityFlags(rs_->database(), sensor_);
    const bool shown = showsQuality(), show = !flags.isEmpty() && hasReadings();
    if (show && !shown) beginInsertColumns({}, qualityColumn(), qualityColumn());
    if (!show && shown && hasReadings()) beginRemoveColumns({}, qualityColumn(), qualityColumn());
    flags_ = std::move(flags);
    if (show && !shown) endInsertColumns();
    if (!show && shown && hasReadings()) endRemoveColumns();
    if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
}

void DatasheetModel::release() {
    populate(nullptr, QString());
}

bool DatasheetModel::validCell(const QModelIndex& index) const {
    return index.isValid() && !index.parent().isValid() && hasReadings() && index.row() >= 0 &&
           index.row() < rows_ && index.column() >= 0 && index.column() < columnCount();
}

const DatasheetModel::Row& DatasheetModel::storedRow(int row) const {
    const int page = row / PageRows;
    auto found = pages_.find(page);
    if (found == pages_.end()) {
        if (pageOrder_.size() >= KeptPages) {
            pages_.erase(pageOrder_.front());
            pageOrder_.pop_front();
        }
        found = pages_.emplace(page, rs_->fetchRows(page * PageRows, PageRows)).first;
        pageOrder_.push_back(page);
    }
    static const Row none;
    const size_t at = size_t(row - page * PageRows);
    return at < found->second.size() ? found->second[at] : none;
}

QString DatasheetModel::storedText(const Row& values, int column) const {
    const int field = fields_[size_t(column)];
    return field >= 0 && size_t(field) < values.size() ? readings::shownValue(values[size_t(field)])
                                                       : QString();
}

// Ticked unless stored False: a reading that never had the flag is drawn.
bool DatasheetModel::storedTick(const Row& values, int column) const {
    const int field = fields_[size_t(column)];
    if (field < 0 || size_t(field) >= values.size()) return true;
    const QVariant& v = values[size_t(field)];
    return v.isNull() || v.toLongLong() != 0;
}

QString DatasheetModel::text(int row, int column) const {
    if (kind(column) == CellKind::Flag) return {};
    if (column == qualityColumn()) {
        const readings::Quality q = quality(row);
        return q == readings::Quality::Valid ? QString() : readings::qualityName(q);
    }
    if (const auto edit = edits_.find(row); edit != edits_.end())
        if (const auto t = edit->second.texts.find(column); t != edit->second.texts.end())
            return t->second;
    return storedText(storedRow(row), column);
}

bool DatasheetModel::ticked(int row, int column) const {
    if (const auto edit = edits_.find(row); edit != edits_.end())
        if (const auto t = edit->second.ticks.find(column); t != edit->second.ticks.end())
            return t->second;
    return storedTick(storedRow(row), column);
}

void DatasheetModel::forgetIfUnchanged(int row) {
    const auto edit = edits_.find(row);
    if (edit != edits_.end() && edit->second.texts.empty() && edit->second.ticks.empty())
        edits_.erase(edit);
}

void DatasheetModel::cellChanged(int row, int column) {
    changed_ = true;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell);
}

void DatasheetModel::setText(int row, int column, const QString& text) {
    // Typed back to what is stored, a cell holds no edit.
    if (text == storedText(storedRow(row), column)) {
        if (const auto edit = edits_.find(row); edit != edits_.end())
            edit->second.texts.erase(column);
        forgetIfUnchanged(row);
    } else {
        edits_[row].texts[column] = text;
    }
    cellChanged(row, column);
}

void DatasheetModel::setTick(int row, int column, bool tick) {
    if (tick == storedTick(storedRow(row), column)) {
        if (const auto edit = edits_.find(row); edit != edits_.end())
            edit->second.ticks.erase(column);
        forgetIfUnchanged(row);
    } else {
        edits_[row].ticks[column] = tick;
    }
    cellChanged(row, column);
}

void DatasheetModel::flip(const QModelIndex& index) {
    if (!validCell(index) || kind(index.column()) != CellKind::Flag) return;
    setTick(index.row(), index.column(), !ticked(index.row(), index.column()));
}

KeyResult DatasheetModel::typeKey(const QModelIndex& index, int key) {
    if (!validCell(index)) return {};
    const int row = index.row(), column = index.column();
    const KeyResult result = typedKey(kind(column), key, text(row, column));
    if (result.action == KeyAction::Edit)
        setText(row, column, result.text);
    else if (result.action == KeyAction::Flip)
        flip(index);
    if (result.changed) changed_ = true;
    return result;
}

void DatasheetModel::writeBack(store::Database& db) {
    if (!rs_ || edits_.empty()) return;
    std::vector<int> rows;
    rows.reserve(edits_.size());
    for (const auto& [row, edit] : edits_)
        rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    try {
        db.transaction([&] {
            for (const int row : rows) {
                const Edit& edit = edits_.at(row);
                rs_->setAbsolutePosition(row + 1);
                for (const auto& [column, text] : edit.texts) {
                    try {
                        // Empty text in a number column is no value.
                        rs_->setValue(fields_[size_t(column)], text);
                    } catch (const store::Error& refusal) {
                        if (refusal.number() != store::code::DatatypeRefused) throw;
                        throw CellRefused(refusal, storedText(storedRow(row), 0),
                                          columns_[size_t(column)].title, text);
                    }
                }
                for (const auto& [column, tick] : edit.ticks)
                    rs_->setValue(fields_[size_t(column)], tick);
                // One entry per reading whose stored values change.
                const std::vector<store::RowSet::FieldChange> changes = rs_->pendingChanges();
                const QString reading = storedText(storedRow(row), 0);
                rs_->Update();
                if (!changes.empty()) store::auditEdit(db, sensor_, reading, changes);
            }
        });
    } catch (...) {
        // A half-made edit of the row set must not be stored by its next move.
        rs_->CancelUpdate();
        throw;
    }
    edits_.clear();
    pages_.clear();
    pageOrder_.clear();
}

std::vector<SheetColumn> DatasheetModel::sheetColumns() const {
    if (!hasReadings()) return {{texts::NoReadings, SheetKind::Text}};
    std::vector<SheetColumn> sheet;
    for (size_t c = 0; c + 1 < columns_.size(); ++c) {
        SheetKind kind = SheetKind::Text;
        switch (columns_[c].kind) {
        case CellKind::Date:
            kind = SheetKind::Date;
            break;
        case CellKind::Channel:
            kind = SheetKind::Number;
            break;
        case CellKind::Time:
            kind = SheetKind::Time;
            break;
        case CellKind::Flag:
            kind = SheetKind::Flag;
            break;
        case CellKind::Key:
            break;
        }
        sheet.push_back({columns_[c].title, kind});
    }
    return sheet;
}

std::vector<std::vector<QVariant>> DatasheetModel::sheetRows(int first, int count) const {
    std::vector<std::vector<QVariant>> cells;
    if (!hasReadings()) return cells;
    // Straight from the table, past the pages the view keeps.
    const std::vector<Row> stored = rs_->fetchRows(first, count);
    const size_t shown = columns_.size() - 1;
    cells.reserve(stored.size());
    for (size_t r = 0; r < stored.size(); ++r) {
        const Row& values = stored[r];
        const auto edit = edits_.find(first + int(r));
        std::vector<QVariant> row(shown);
        for (size_t c = 0; c < shown; ++c) {
            const int field = fields_[c];
            const QVariant value =
                field >= 0 && size_t(field) < values.size() ? values[size_t(field)] : QVariant();
            if (columns_[c].kind == CellKind::Flag) {
                bool tick = storedTick(values, int(c));
                if (edit != edits_.end())
                    if (const auto t = edit->second.ticks.find(int(c));
                        t != edit->second.ticks.end())
                        tick = t->second;
                row[c] = tick;
                continue;
            }
            row[c] = value;
            if (edit != edits_.end())
                if (const auto t = edit->second.texts.find(int(c)); t != edit->second.texts.end())
                    row[c] = t->second.isEmpty() ? QVariant() : QVariant(t->second);
        }
        cells.push_back(std::move(row));
    }
    return cells;
}

int DatasheetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !hasReadings() ? 0 : rows_;
}

int DatasheetModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !rs_) return 0;
    return hasReadings() ? qualityColumn() + (showsQuality() ? 1 : 0) : 1;
}

QVariant DatasheetModel::data(const QModelIndex& index, int role) const {
    if (!validCell(index)) return {};
    const int row = index.row(), column = index.column();
    const CellKind k = kind(column);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (k == CellKind::Flag) return {};
        return text(row, column);
    case Qt::CheckStateRole:
        if (k != CellKind::Flag) return {};
        return int(ticked(row, column) ? Qt::Checked : Qt::Unchecked);
    case Qt::ForegroundRole:
        // Invalid readings stay listed, greyed: they are never drawn nor exported.
        if (quality(row) == readings::Quality::Invalid) return QColor(Qt::gray);
        return {};
    case Qt::ToolTipRole:
        if (column != qualityColumn() || flags_.isEmpty()) return {};
        return flags_.value(key(row)).note;
    case Qt::TextAlignmentRole:
        if (k == CellKind::Flag) return int(Qt::AlignCenter);
        if (k == CellKind::Channel) return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant DatasheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical)
        return section >= 0 && section < rowCount() ? QVariant(section + 1) : QVariant();
    if (section < 0 || section >= columnCount()) return {};
    if (!hasReadings()) return texts::NoReadings;
    return section == qualityColumn() ? QualityTitle : columns_[size_t(section)].title;
}

Qt::ItemFlags DatasheetModel::flags(const QModelIndex& index) const {
    if (!validCell(index)) return Qt::NoItemFlags;
    // Tick boxes flip on a click anywhere in the cell, which the window
    // handles; the delegate's own check-box click would flip them twice.
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (kind(index.column()) == CellKind::Channel) f |= Qt::ItemIsEditable;
    return f;
}

bool DatasheetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!validCell(index)) return false;
    const CellKind k = kind(index.column());
    if (role == Qt::EditRole && k == CellKind::Channel) {
        setText(index.row(), index.column(), value.toString());
        return true;
    }
    if (role == Qt::CheckStateRole && k == CellKind::Flag) {
        setTick(index.row(), index.column(), value.toInt() != int(Qt::Unchecked));
        return true;
    }
    return false;
}

} // namespace outputs
