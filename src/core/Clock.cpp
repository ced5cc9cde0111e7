#include "core/Clock.h"

#include <QDateTime>

namespace {

class TSystemClock : public TClock {
public:
    TDateTime Now() const override { return QDateTime::currentMSecsSinceEpoch(); }
};

}  // namespace

const TClock& TClock::System()
{
    static const TSystemClock clock;
    return clock;
}

QString FormatLogTime(TDateTime aTime)
{
    return QDateTime::fromMSecsSinceEpoch(aTime).toString(QStringLiteral("HH:mm:ss"));
}
