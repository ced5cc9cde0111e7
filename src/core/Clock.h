#pragma once
// TDateTime: a point in local wall-clock time as milliseconds since the epoch.
// The clock is injectable so that pacing arithmetic is testable without sleeping.

#include <QString>
#include <QtGlobal>
#include <atomic>

using TDateTime = qint64;

class TClock {
public:
    virtual ~TClock() = default;
    virtual TDateTime Now() const = 0;
    static const TClock& System();  // the real wall clock
};

// A clock that only moves when told to (tests); safe to read from any thread.
class TManualClock : public TClock {
public:
    explicit TManualClock(TDateTime aStart = 0) : FNow(aStart) {}
    TDateTime Now() const override { return FNow.load(); }
    void Set(TDateTime aNow) { FNow.store(aNow); }
    void Advance(qint64 aMs) { FNow.fetch_add(aMs); }

private:
    std::atomic<TDateTime> FNow;
};

// "hh:nn:ss" of a point in time, in local time.
QString FormatLogTime(TDateTime aTime);
