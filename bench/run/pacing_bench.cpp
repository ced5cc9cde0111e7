// Pacing and memory of a whole check run: 30 URLs on a local server, delay
// 1 500 ms, 5 threads, run through tollmarsh-cli check. Prints the median and
// worst gap between consecutive request starts minus the delay, the run's wall
// time against 29 x 1 500 ms, and the child's peak RSS.

#include "TestHttpServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kUrls = 30;
constexpr int kDelayMs = 1500;

const char kRules[] =
    "\xEF\xBB\xBF[\r\n"
    "  {\"name\":\"Main\",\"rules\":[{\"name\":\"Title\",\"qtype\":0,\"query\":\"//title\",\"attr\":\"\",\"etype\":0},"
    "{\"name\":\"Links\",\"qtype\":2,\"query\":\"a\",\"attr\":\"href\",\"etype\":0}]}\r\n"
    "]\r\n";

bool WriteFile(const QString& aPath, const QByteArray& aBytes)
{
    QFile file(aPath);
    return file.open(QIODevice::WriteOnly) && file.write(aBytes) == aBytes.size();
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TTestHttpServer server;
    std::string page = "<html><head><title>Page</title></head><body>";
    for (int i = 0; i < 200; ++i)
        page += "<p><a href=\"/link/" + std::to_string(i) + "\">link</a> some text</p>";
    page += "</body></html>";
    server.SetFallback([page](const httplib::Request&, httplib::Response& res) {
        res.set_content(page, "text/html; charset=utf-8");
    });
    if (!server.Start()) {
        std::fprintf(stderr, "cannot start the local server\n");
        return 1;
    }

    QTemporaryDir dir;
    QByteArray urls;
    for (int i = 1; i <= kUrls; ++i)
        urls += QByteArray::fromStdString(server.Url("/page/" + std::to_string(i))) + "\n";
    const QString urlsFile = dir.filePath("urls.txt"), rulesFile = dir.filePath("rules.json");
    if (!WriteFile(urlsFile, urls) || !WriteFile(rulesFile, kRules))
        return 1;

    QProcess cli;
    cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer wall;
    wall.start();
    cli.start(QStringLiteral(TOLLMARSH_CLI_PATH),
              {"check", "--urls", urlsFile, "--rules", rulesFile, "--threads", "5", "--delay",
               QString::number(kDelayMs), "--out", dir.filePath("report.csv")});
    if (!cli.waitForFinished(10 * 60 * 1000)) {
        std::fprintf(stderr, "the check run did not end\n");
        return 1;
    }
    const double wallMs = double(wall.nsecsElapsed()) / 1e6;

    auto requests = server.Requests();
    std::sort(requests.begin(), requests.end(),
              [](const auto& a, const auto& b) { return a.TimeMs < b.TimeMs; });
    std::vector<qint64> deviations;
    for (size_t i = 1; i < requests.size(); ++i)
        deviations.push_back(requests[i].TimeMs - requests[i - 1].TimeMs - kDelayMs);
    std::sort(deviations.begin(), deviations.end());
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);

    std::printf("exit code %d, %zu requests\n", cli.exitCode(), requests.size());
    if (!deviations.empty()) {
        const auto worst = std::max(std::llabs(deviations.front()), std::llabs(deviations.back()));
        std::printf("gap between request starts minus %d ms: median %lld ms, worst %lld ms\n", kDelayMs,
                    static_cast<long long>(deviations[deviations.size() / 2]), static_cast<long long>(worst));
    }
    std::printf("wall time %.0f ms = %.3f x (%d x %d ms)\n", wallMs, wallMs / ((kUrls - 1) * kDelayMs),
                kUrls - 1, kDelayMs);
    std::printf("peak RSS of tollmarsh-cli check: %.1f MB\n", double(children.ru_maxrss) / 1024.0);
    return cli.exitCode() == 0 ? 0 : 1;
}
