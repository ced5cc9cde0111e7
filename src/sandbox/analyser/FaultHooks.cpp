#include "sandbox/analyser/FaultHooks.h"

#ifdef TOLLMARSH_TEST_HOOKS
#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>
#include <vector>
#endif

void RunFaultHook([[maybe_unused]] const QString& aQuery)
{
#ifdef TOLLMARSH_TEST_HOOKS
    if (aQuery == QLatin1String("#fault:crash")) {
        std::signal(SIGSEGV, SIG_DFL);
        std::raise(SIGSEGV);
    } else if (aQuery == QLatin1String("#fault:stall")) {
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    } else if (aQuery == QLatin1String("#fault:allocate")) {
        std::vector<std::unique_ptr<char[]>> blocks;
        for (;;) {
            blocks.push_back(std::make_unique<char[]>(8u << 20));
            std::memset(blocks.back().get(), 1, 8u << 20);
        }
    }
#endif
}
