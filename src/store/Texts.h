// The store's own texts, character for character: the title other subsystems
// share.
#pragma once

#include <QString>

namespace store::texts {

inline const QString TitleUpper = QStringLiteral("Vornhald's TOLVANE");

} // namespace store::texts
