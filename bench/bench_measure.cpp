#include "bench_measure.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

const char selfPath[] = "/proc/self/exe";
const char childOption[] = "--child";
const char librarySide[] = "library";

QByteArray firstLineOf(const char* path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed() : QByteArray("unknown");
}

double peakRssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble();
    }
    return -1;
}

// The child's figures, or none when it failed.
std::vector<double> runSelf(const QStringList& arguments)
{
    std::vector<QByteArray> bytes{QByteArray(selfPath)};
    for (const QString& argument : arguments)
        bytes.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    int channel[2];
    if (pipe(channel) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, channel[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, channel[0]);
    posix_spawn_file_actions_addclose(&actions, channel[1]);
    pid_t child = -1;
    const bool spawned = posix_spawn(&child, selfPath, &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(channel[1]);
    QByteArray output;
    char buffer[256];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, static_cast<int>(got));
    close(channel[0]);
    int status = 0;
    if (!spawned || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    std::vector<double> figures;
    for (const QByteArray& field : output.simplified().split(' ')) {
        bool ok = false;
        figures.push_back(field.toDouble(&ok));
        if (!ok)
            return {};
    }
    return figures;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

void printRunHeader(int argc, char** argv)
{
    char self[4096] = {};
    const ssize_t length = readlink(selfPath, self, sizeof self - 1);
    std::printf("command:%s%s", length > 0 ? " " : "", length > 0 ? self : "");
    for (int i = length > 0 ? 1 : 0; i < argc; ++i)
        std::printf(" %s", argv[i]);
    std::printf("\nload average: %s\n", firstLineOf("/proc/loadavg").constData());
    std::fflush(stdout);
}

int optionValue(int argc, char** argv, const char* option, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], option) == 0)
            return std::max(1, std::atoi(argv[i + 1]));
    }
    return fallback;
}

bool hasOption(int argc, char** argv, const char* option)
{
    return std::find_if(argv + 1, argv + argc, [option](const char* a) { return std::strcmp(a, option) == 0; }) !=
           argv + argc;
}

double wallSeconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void printFigures(std::initializer_list<double> figures)
{
    for (double figure : figures)
        std::printf("%.17g ", figure);
    std::printf("%.0f\n", peakRssKb());
}

std::optional<ChildRun> childRun(int argc, char** argv)
{
    if (argc != 4 || std::strcmp(argv[1], childOption) != 0)
        return std::nullopt;
    return ChildRun{std::strcmp(argv[2], librarySide) == 0, argv[3]};
}

std::array<std::vector<double>, 2> medianFigures(const QString& path, int runs)
{
    const std::array<QStringList, 2> sides{QStringList{childOption, librarySide, path},
                                           QStringList{childOption, QStringLiteral("plain"), path}};
    std::array<std::vector<std::vector<double>>, 2> runsOf; // [side][run][figure]
    for (int run = 0; run < runs; ++run) {
        for (int turn = 0; turn < 2; ++turn) {
            const int side = (run + turn) % 2;
            runsOf[side].push_back(runSelf(sides[side]));
            if (runsOf[side].back().empty() || runsOf[side].back().size() != runsOf[side].front().size())
                return {};
        }
    }
    std::array<std::vector<double>, 2> medians;
    for (int side = 0; side < 2; ++side) {
        for (size_t figure = 0; figure < runsOf[side].front().size(); ++figure) {
            std::vector<double> values;
            for (const std::vector<double>& figures : runsOf[side])
                values.push_back(figures[figure]);
            medians[side].push_back(median(values));
        }
    }
    return medians;
}
