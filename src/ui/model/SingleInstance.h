#pragma once
// The single-instance lock "TOLLMARSH": a lock file of the current user (in the
// user's runtime folder, else the temporary folder with the user id in its
// name). A lock left behind by an instance that crashed is taken over, since
// the process named in it no longer runs.

#include <QLockFile>
#include <QString>
#include <memory>

class TSingleInstance {
public:
    // aLockDir: where the lock file lives (tests); empty for the user's own folder.
    explicit TSingleInstance(const QString& aLockDir = QString());
    ~TSingleInstance();  // releases the lock

    // True when this process now holds the lock; false while another instance runs.
    bool TryAcquire();
    QString LockFileName() const { return FFileName; }

    static QString DefaultLockDir();

private:
    QString FFileName;
    std::unique_ptr<QLockFile> FLock;
};

class IDialogs;

// The box of a second start: the fixed text chosen by "lang" of the settings
// file, its title in the same language.
void ShowAlreadyRunning(IDialogs& aDialogs, const QString& sSettingsFileName);
