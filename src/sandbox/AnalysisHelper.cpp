#include "sandbox/AnalysisHelper.h"

#include "core/Translate.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

// The helper finds its socket here.
constexpr int kHelperSocketFd = 3;

QString ErrnoText(int aErrno)
{
    return QString::fromLocal8Bit(std::strerror(aErrno));
}

}  // namespace

TAnalysisHelper::TAnalysisHelper(pid_t aPid, int aFd) : FPid(aPid), FFd(aFd), FConnection(aFd) {}

std::unique_ptr<TAnalysisHelper> TAnalysisHelper::Start(const QString& aProgram, QString& aError)
{
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
        aError = ErrnoText(errno);
        return nullptr;
    }
    // The child's end must not already sit on the number it is moved to.
    const int childEnd = ::fcntl(sockets[1], F_DUPFD_CLOEXEC, kHelperSocketFd + 1);
    ::close(sockets[1]);
    if (childEnd < 0) {
        aError = ErrnoText(errno);
        ::close(sockets[0]);
        return nullptr;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, childEnd, kHelperSocketFd);
    posix_spawn_file_actions_addclosefrom_np(&actions, kHelperSocketFd + 1);

    const QByteArray program = QFile::encodeName(aProgram);
    const QByteArray socketArg = QByteArray::number(kHelperSocketFd);
    char* argv[] = {const_cast<char*>(program.constData()), const_cast<char*>("--socket"),
                    const_cast<char*>(socketArg.constData()), nullptr};
    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, program.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(childEnd);
    if (error != 0) {
        aError = QStringLiteral("%1: %2").arg(aProgram, ErrnoText(error));
        ::close(sockets[0]);
        return nullptr;
    }
    return std::unique_ptr<TAnalysisHelper>(new TAnalysisHelper(pid, sockets[0]));
}

TAnalysisHelper::~TAnalysisHelper()
{
    Kill();
    ::close(FFd);
}

qint64 TAnalysisHelper::ResidentBytes() const
{
    // /proc/PID/statm: total and resident size in pages.
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/statm", int(FPid));
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    char text[128];
    const ssize_t got = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (got <= 0)
        return -1;
    text[got] = '\0';
    long long total = 0, resident = 0;
    if (std::sscanf(text, "%lld %lld", &total, &resident) != 2)
        return -1;
    return qint64(resident) * ::sysconf(_SC_PAGESIZE);
}

bool TAnalysisHelper::Reap(int aWaitMs)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(aWaitMs);
    while (!FReaped) {
        const pid_t done = ::waitpid(FPid, &FStatus, WNOHANG);
        if (done == FPid || (done < 0 && errno != EINTR)) {
            FReaped = true;
            break;
        }
        if (std::chrono::steady_clock::now() >= until)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return FReaped;
}

void TAnalysisHelper::Kill()
{
    if (FReaped)
        return;
    ::kill(FPid, SIGKILL);
    while (::waitpid(FPid, &FStatus, 0) < 0 && errno == EINTR) {
    }
    FReaped = true;
}

void TAnalysisHelper::End(int aWaitMs)
{
    ::shutdown(FFd, SHUT_WR);
    if (!Reap(aWaitMs))
        Kill();
}

QString TAnalysisHelper::EndDescription()
{
    if (!Reap(1000)) {
        Kill();
        return Tr("the analysis helper stopped answering");
    }
    if (WIFSIGNALED(FStatus)) {
        const int signal = WTERMSIG(FStatus);
        return Tr("the analysis helper crashed with signal %1 (%2)").arg(signal).arg(QString::fromLocal8Bit(strsignal(signal)));
    }
    if (WIFEXITED(FStatus))
        return Tr("the analysis helper ended with exit code %1").arg(WEXITSTATUS(FStatus));
    return Tr("the analysis helper ended");
}
