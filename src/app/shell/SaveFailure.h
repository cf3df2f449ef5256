// Why a save of what the user typed failed, in words a user knows.
#pragma once

#include <QString>
#include <QStringList>

#include <exception>

namespace app {

// The reason a save failed: for a value its column refused, the first typed
// number text that is no number ("‘12,5’ is not a number: use a point as the
// decimal mark"); for the engine's failures, what they mean to the user ("the
// database is locked by another program", "the disk is full").
QString saveFailureReason(const std::exception_ptr& failure, const QStringList& typedNumbers);

} // namespace app
