// The analysis helper: started by the program with one end of a socket, it
// applies rules to pages, so that nothing a page or a rule does can take the
// program down.

#include "core/MemoryTuning.h"
#include "sandbox/analyser/AnalyserLoop.h"

#include <QCoreApplication>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <unistd.h>

namespace {

// A helper outlives nobody: when its program is gone it ends, even mid-rule.
void EndWithParent()
{
    const pid_t parent = ::getppid();
    std::thread([parent] {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
            if (::getppid() != parent)
                std::_Exit(0);
        }
    }).detach();
}

}  // namespace

int main(int argc, char** argv)
{
    int fd = -1;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--socket") == 0)
            fd = std::atoi(argv[i + 1]);
    if (fd < 0) {
        std::fputs("tollmarsh-analyser: started by Tollmarsh only (--socket FD)\n", stderr);
        return 2;
    }
    EndWithParent();
    TuneAllocatorForPages();
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    // On a thread of its own, as in the program: page-sized blocks then come
    // from a thread arena, not the main heap.
    int code = 0;
    std::thread([&] { code = ServePages(fd); }).join();
    return code;
}
