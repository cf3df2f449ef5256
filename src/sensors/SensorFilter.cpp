#include "sensors/SensorFilter.h"

#include "app/TextFormat.h"
#include "sensors/SensorTypes.h"
#include "sensors/Texts.h"
#include "store/Criteria.h"

#include <QStringList>

#include <optional>

namespace sensors {

QString filterTypeCode(const QString& typeText, bool* ok) {
    *ok = true;
    const QString t = typeText.trimmed();
    if (t.isEmpty()) return {};
    for (int n = 1; n <= 6; ++n) {
        const QString code = QString::number(10 * (n + 1) + 1);
        if (t == QStringLiteral("%1: q%2 MPBX or ROVA").arg(code).arg(n)) return code;
    }
    if (findSensorType(t)) return t;
    *ok = false;
    return {};
}

FilterOutcome buildFilter(const FilterChoice& choice, const QDate& today) {
    FilterOutcome out;
    bool typeOk = false;
    const QString type = filterTypeCode(choice.type, &typeOk);
    if (!typeOk) {
        out.refusal = {texts::TypeNotRecognized, texts::AppTitle};
        return out;
    }
    const QString level = choice.level.trimmed();
    const QString location = choice.location.trimmed();

    // A typed date that is no date refuses the choice and takes the focus back.
    const auto typedDate = [&](const QString& text, const QString& refusal,
                               FilterOutcome::Focus focus, std::optional<QDate>& date) {
        if (text.isEmpty()) return true;
        date = app::toDate(text);
        if (date) return true;
        out.refusal = {refusal, texts::AppTitle};
        out.focus = focus;
        return false;
    };
    std::optional<QDate> start, end;
    if (!typedDate(choice.startDate, texts::StartNotValid, FilterOutcome::Focus::StartDate,
                   start) ||
        !typedDate(choice.endDate, texts::EndNotValid, FilterOutcome::Focus::EndDate, end))
        return out;
    // Install dates are kept as "yyyy/MM/dd" text, so the range is written in
    // that form to compare as the dates it stands for.
    QString startText = start ? app::yearFirst(*start) : QString();
    QString endText = end ? app::yearFirst(*end) : QString();
    if (start && !end) endText = app::yearFirst(today);
    if (end && !start) startText = texts::EarliestStart;

    if (type.isEmpty() && level.isEmpty() && location.isEmpty() && startText.isEmpty() &&
        !choice.hideDestroyed) {
        out.refusal = {texts::NoCriteria, texts::Title, app::Icon::Information};
        return out;
    }

    QStringList criteria;
    if (choice.hideDestroyed) criteria << QStringLiteral("Destroyed = 'No'");
    if (!type.isEmpty()) criteria << QStringLiteral("SensorType =") + store::quotedValue(type);
    if (!level.isEmpty()) criteria << QStringLiteral("Level =") + store::quotedValue(level);
    if (!location.isEmpty())
        criteria << QStringLiteral("Location =") + store::quotedValue(location);
    if (!startText.isEmpty())
        criteria << QStringLiteral("InstallDate >= ") + startText +
                        QStringLiteral(" AND InstallDate <= ") + endText;
    out.filter = criteria.join(QStringLiteral(" AND "));
    return out;
}

QString dateBoxRefusal(const QString& text, bool startBox) {
    if (text.isEmpty() || app::toDate(text)) return {};
    return startBox ? texts::StartLeftNotValid : texts::EndLeftNotValid;
}

} // namespace sensors
