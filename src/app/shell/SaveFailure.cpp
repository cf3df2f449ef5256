#include "app/shell/SaveFailure.h"

#include "app/TextFormat.h"
#include "app/Texts.h"
#include "store/Error.h"

namespace app {

namespace {

QString refusedNumber(const QStringList& typedNumbers) {
    for (const QString& typed : typedNumbers) {
        const QString t = typed.trimmed();
        if (t.isEmpty() || toNumber(withDecimalPoint(t))) continue;
        return t.contains(QLatin1Char(',')) ? texts::notANumberComma(t) : texts::notANumber(t);
    }
    return {};
}

QString engineReason(const store::Error& e) {
    switch (e.number() & 0xff) {
    case store::code::Busy:
    case store::code::Locked:
        return texts::WhyLocked;
    case store::code::Full:
        return texts::WhyDiskFull;
    case store::code::ReadOnly:
        return texts::WhyReadOnly;
    case store::code::IoErr:
        return texts::WhyWriteFailed;
    case store::code::CantOpen:
        return texts::WhyCannotOpen;
    case store::code::Corrupt:
    case store::code::NotADatabase:
        return texts::WhyDamaged;
    default:
        return e.description();
    }
}

} // namespace

QString saveFailureReason(const std::exception_ptr& failure, const QStringList& typedNumbers) {
    try {
        std::rethrow_exception(failure);
    } catch (const store::Error& e) {
        if (e.number() == store::code::Mismatch || e.number() == store::code::DatatypeRefused) {
            const QString refused = refusedNumber(typedNumbers);
            return refused.isEmpty() ? texts::WhyWrongKind : refused;
        }
        return engineReason(e);
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return texts::WhyUnknown;
    }
}

} // namespace app
