#include "levels/StatusModel.h"

#include "outputs/Workbook.h"
#include "readings/Quality.h"

#include <cmath>

namespace levels {

QColor statusColour(const SensorStatus& s, const std::vector<TriggerLevel>& levels,
                    const QDateTime& now) {
    switch (condition(s, now)) {
    case Condition::Level:
        return s.level <= int(levels.size()) ? levels[size_t(s.level - 1)].colour : QColor(Qt::red);
    case Condition::NoNewData:
        return QColor(0x9e, 0x9e, 0x9e);
    default:
        break;
    }
    return {};
}

QString ageText(std::optional<double> hours) {
    if (!hours) return {};
    const qint64 h = qint64(std::floor(std::max(0.0, *hours)));
    if (h < 48) return QStringLiteral("%1 h").arg(h);
    return QStringLiteral("%1 d %2 h").arg(h / 24).arg(h % 24);
}

QStringList StatusModel::titles() {
    return {QStringLiteral("Sensor"),
            QStringLiteral("Level"),
            QStringLiteral("Location"),
            QStringLiteral("Status"),
            QStringLiteral("Anchor"),
            QStringLiteral("Displacement (mm)"),
            QStringLiteral("Rate (mm/day)"),
            QStringLiteral("Latest reading"),
            QStringLiteral("Age")};
}

void StatusModel::setStatuses(std::vector<SensorStatus> statuses, std::vector<TriggerLevel> levels,
                              const QDateTime& now, const QString& mineLevel,
                              const QString& location) {
    beginResetModel();
    rows_.clear();
    for (SensorStatus& s : statuses)
        if ((mineLevel.isEmpty() || s.mineLevel == mineLevel) &&
            (location.isEmpty() || s.location == location))
            rows_.push_back(std::move(s));
    sortWorstFirst(rows_, now);
    levels_ = std::move(levels);
    now_ = now;
    // Each cell worked out once: a view asks for them again at every drawing.
    texts_.clear();
    colours_.clear();
    texts_.reserve(rows_.size());
    colours_.reserve(rows_.size());
    for (size_t r = 0; r < rows_.size(); ++r) {
        std::array<QString, ColumnCount> cells;
        for (int c = 0; c < ColumnCount; ++c)
            cells[size_t(c)] = workedOut(int(r), c);
        texts_.push_back(std::move(cells));
        colours_.push_back(statusColour(rows_[r], levels_, now_));
    }
    endResetModel();
}

QString StatusModel::cellText(int row, int column) const {
    if (row < 0 || size_t(row) >= texts_.size() || column < 0 || column >= ColumnCount) return {};
    return texts_[size_t(row)][size_t(column)];
}

int StatusModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int StatusModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString StatusModel::workedOut(int row, int column) const {
    const SensorStatus& s = rows_[size_t(row)];
    const auto number = [](std::optional<double> v) {
        return v ? QString::number(*v, 'f', 2) : QString();
    };
    switch (column) {
    case Sensor:
        return s.number;
    case MineLevel:
        return s.mineLevel;
    case Location:
        return s.location;
    case Status: {
        QString text = statusText(s, levels_, now_);
        if (s.level > 0 && noNewData(s, now_)) text += QStringLiteral(", no new data");
        if (s.suspect && !s.noReadings) text += QStringLiteral(" (suspect)");
        return text;
    }
    case Anchor:
        return s.anchor > 0 ? QString::number(s.anchor) : QString();
    case Displacement:
        return number(s.displacement);
    case Rate:
        return number(s.rate);
    case Latest:
        return s.noReadings ? QString() : readings::momentText(s.latestAt);
    case Age:
        return ageText(ageHours(s, now_));
    default:
        break;
    }
    return {};
}

QVariant StatusModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size())) return {};
    if (role == Qt::DisplayRole) return cellText(index.row(), index.column());
    if (index.column() == Status) {
        const QColor& c = colours_[size_t(index.row())];
        if (!c.isValid()) return {};
        if (role == Qt::BackgroundRole) return c;
        if (role == Qt::ForegroundRole) return outputs::lettersOn(c);
    }
    if (role == Qt::TextAlignmentRole && index.column() >= Anchor && index.column() <= Rate)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant StatusModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount)
        return titles()[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace levels
