#pragma once
// One analysis helper process and the socket to it. The helper's standard
// output goes to the program's standard error, so it can never mix into a
// report the program writes; its other descriptors are closed.

#include "sandbox/FrameChannel.h"

#include <QString>
#include <memory>
#include <sys/types.h>

class TAnalysisHelper {
public:
    // Null with aError set when the program cannot be started.
    static std::unique_ptr<TAnalysisHelper> Start(const QString& aProgram, QString& aError);
    ~TAnalysisHelper();  // kills the helper if it still runs, and reaps it
    TAnalysisHelper(const TAnalysisHelper&) = delete;
    TAnalysisHelper& operator=(const TAnalysisHelper&) = delete;

    TFrameConnection& Connection() { return FConnection; }
    pid_t Pid() const { return FPid; }
    bool Ready() const { return FReady; }
    void SetReady() { FReady = true; }

    // Resident memory now; -1 when the system does not tell.
    qint64 ResidentBytes() const;
    void Kill();
    // Asks an idle helper to end (it reads the end of its input), waits up to
    // aWaitMs, then kills it.
    void End(int aWaitMs);
    // After its socket closed: waits briefly for the end and says how it ended
    // ("the analysis helper crashed with signal 11 (Segmentation fault)"), translated.
    QString EndDescription();

private:
    TAnalysisHelper(pid_t aPid, int aFd);
    bool Reap(int aWaitMs);

    pid_t FPid;
    int FFd;
    TFrameConnection FConnection;
    bool FReady = false;
    bool FReaped = false;
    int FStatus = 0;
};
