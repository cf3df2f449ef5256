// The real clock and the desktop's open-document action.
#pragma once

#include "app/Environment.h"

namespace app {

class SystemClock : public Clock {
public:
    QDateTime now() const override;
};

class ShellDesktop : public Desktop {
public:
    bool open(const QString& fileOrUrl) override;
};

} // namespace app
