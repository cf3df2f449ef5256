#include "app/shell/SaveFailure.h"

#include "app/TextFormat.h"
#include "app/Texts.h"
#include "store/Error.h"

#include <sqlite3.h>

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
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return texts::WhyLocked;
    case SQLITE_FULL:
        return texts::WhyDiskFull;
    case SQLITE_READONLY:
        return texts::WhyReadOnly;
    case SQLITE_IOERR:
        return texts::WhyWriteFailed;
    case SQLITE_CANTOPEN:
        return texts::WhyCannotOpen;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
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
