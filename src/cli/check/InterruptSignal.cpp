#include "cli/check/InterruptSignal.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int gWakeFds[2] = {-1, -1};

// Only async-signal-safe calls here: the work happens in Handle on the main thread.
extern "C" void OnSignal(int aSignal)
{
    const char byte = char(aSignal);
    [[maybe_unused]] ssize_t written = write(gWakeFds[1], &byte, 1);
    std::signal(aSignal, SIG_DFL);
}

}  // namespace

TInterruptSignal::TInterruptSignal(std::function<void()> aOnInterrupt)
    : FOnInterrupt(std::move(aOnInterrupt))
{
    if (pipe2(gWakeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    FNotifier = std::make_unique<QSocketNotifier>(gWakeFds[0], QSocketNotifier::Read);
    QObject::connect(FNotifier.get(), &QSocketNotifier::activated, [this] { Handle(); });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

TInterruptSignal::~TInterruptSignal()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    FNotifier.reset();
    for (int& fd : gWakeFds) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
}

void TInterruptSignal::Handle()
{
    char buffer[16];
    while (read(gWakeFds[0], buffer, sizeof buffer) > 0) {
    }
    if (FReceived)
        return;
    FReceived = true;
    if (FOnInterrupt)
        FOnInterrupt();
}
