#include "SingleInstance.h"

#include "AppSettings.h"
#include "core/Dialogs.h"
#include "core/Translate.h"

#include <QDir>
#include <unistd.h>

TSingleInstance::TSingleInstance(const QString& aLockDir)
{
    const QString dir = aLockDir.isEmpty() ? DefaultLockDir() : aLockDir;
    // The user id keeps users apart also in a folder they share.
    FFileName = QDir(dir).filePath(QStringLiteral("TOLLMARSH-%1.lock").arg(getuid()));
    FLock = std::make_unique<QLockFile>(FFileName);
    // Only a dead owner makes the lock stale, never its age: a long session keeps it.
    FLock->setStaleLockTime(0);
}

TSingleInstance::~TSingleInstance() = default;

bool TSingleInstance::TryAcquire()
{
    return FLock->isLocked() || FLock->tryLock(0);
}

QString TSingleInstance::DefaultLockDir()
{
    // The user's runtime folder when the session has one; it is private to the user.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QDir(runtime).exists() ? runtime : QDir::tempPath();
}

void ShowAlreadyRunning(IDialogs& aDialogs, const QString& sSettingsFileName)
{
    const TAlreadyRunningMessage message = AlreadyRunningMessage(sSettingsFileName);
    // Only the box's title comes from the catalogue; the text is fixed.
    SetTranslationLanguage(message.Russian ? QStringLiteral("ru") : QStringLiteral("en"));
    aDialogs.ShowWarning(message.Text);
}
