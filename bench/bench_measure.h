// Each side of a comparison runs in a process of its own, started again from
// this program's file, so that its peak memory is its own and nothing the other
// side left in the heap helps or hinders it. A child prints its figures on one
// line, its peak RSS last; the parent reads them back.
#pragma once

#include <QStringList>
#include <array>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

// The command line that reproduces this run, and the machine's load average.
void printRunHeader(int argc, char** argv);

// The value after `option` ("--runs 5"), or `fallback`.
int optionValue(int argc, char** argv, const char* option, int fallback);
bool hasOption(int argc, char** argv, const char* option);

double wallSeconds(const std::function<void()>& work);

// In the child: the figures, then VmHWM in kB.
void printFigures(std::initializer_list<double> figures);

// A child is started as "--child library|plain FILE".
struct ChildRun {
    bool library = false;
    const char* path = nullptr;
};
// The child's side and file, or nothing in the parent.
std::optional<ChildRun> childRun(int argc, char** argv);

// Runs the two sides on `path` `runs` times each, the sides taking turns at
// going first, and gives the median of every figure, library side first; empty
// figures when a child failed or printed something else.
std::array<std::vector<double>, 2> medianFigures(const QString& path, int runs);
