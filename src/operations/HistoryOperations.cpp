#include "operations/Operations.h"

namespace operations {

void forEachHistoryEntry(store::Database& db, const store::AuditQuery& query,
                         const std::function<bool(const store::AuditRecord&)>& f) {
    store::forEachAuditRecord(db, query, f);
}

} // namespace operations
