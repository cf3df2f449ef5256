#include "outputs/ReportLevels.h"

#include "levels/SensorStatus.h"
#include "levels/StatusModel.h"
#include "levels/TriggerLevels.h"
#include "outputs/ReportDocument.h"
#include "outputs/Texts.h"

#include <QStringList>

namespace outputs {

namespace {

QString mm(double v) {
    return QString::number(v, 'f', 2);
}

QString hours(double h) {
    return QString::number(h, 'g', 15) + QStringLiteral(" h");
}

// The sensor's value for the level, and where an anchor's own list differs
// from it what that anchor is held to ("none": its own list lacks the level).
std::pair<QString, QString> levelCells(const levels::SensorTriggers& t, levels::Kind kind,
                                       int position) {
    const auto& lists = kind == levels::Kind::Rate ? t.rate : t.displacement;
    const auto valueIn = [&](const levels::Thresholds& list) -> QString {
        const auto it = list.find(position);
        return it == list.end() ? QString() : mm(it->second);
    };
    const QString all = valueIn(lists[0]);
    QStringList own;
    for (int k = 1; k <= levels::MaxAnchors; ++k) {
        if (lists[size_t(k)].empty()) continue;
        const QString value = valueIn(lists[size_t(k)]);
        if (value == all) continue;
        own << texts::anchorOwnThreshold(k, value);
    }
    return {all, own.join(QStringLiteral("; "))};
}

} // namespace

ReportLevels reportLevels(store::Database& db, const QString& number, const QDateTime& date) {
    ReportLevels r;
    const std::vector<levels::TriggerLevel> site = levels::siteLevels(db);
    const levels::SensorTriggers t = levels::sensorTriggers(db, number);
    r.window = hours(t.windowHours);
    r.staleAfter = t.staleAfterHours ? hours(*t.staleAfterHours) : texts::StaleOff;
    if (t.any()) {
        for (const levels::TriggerLevel& l : site) {
            const auto [disp, dispOwn] = levelCells(t, levels::Kind::Displacement, l.position);
            const auto [rate, rateOwn] = levelCells(t, levels::Kind::Rate, l.position);
            r.rows.push_back({l.name, disp, dispOwn, rate, rateOwn});
        }
    }

    // Only the readings up to the report date count, as the status was then.
    std::optional<QString> at;
    if (date.isValid()) at = date.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const levels::SensorStatus s = levels::sensorStatus(db, number, at);
    levels::StatusModel model;
    model.setStatuses({s}, site, date);
    // As the Status tab says it, with what decided the level.
    QString status = levels::statusText(s, site, date);
    if (s.level > 0) {
        status += QStringLiteral(" by ") + levels::kindName(s.decidedBy);
        if (levels::noNewData(s, date)) status += QStringLiteral(", no new data");
    }
    if (s.suspect && !s.noReadings) status += QStringLiteral(" (suspect)");
    r.status = {status,
                model.cellText(0, levels::StatusModel::Anchor),
                model.cellText(0, levels::StatusModel::Displacement),
                model.cellText(0, levels::StatusModel::Rate),
                model.cellText(0, levels::StatusModel::Latest),
                model.cellText(0, levels::StatusModel::Age)};
    r.statusAt = reportDateText(date);
    return r;
}

} // namespace outputs
