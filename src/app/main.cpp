#include "core/MemoryTuning.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    TuneAllocatorForPages();
    QCoreApplication app(argc, argv);
    std::printf("Tollmarsh %s\n", TOLLMARSH_VERSION);
    std::printf("The window is not available in this build yet.\n"
                "Run a check from the command line instead, for example:\n"
                "  ./run.sh check --urls urls.txt --rules Tollmarsh.json --out report.csv\n"
                "  ./run.sh --help\n");
    return 0;
}
