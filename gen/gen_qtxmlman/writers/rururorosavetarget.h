// Where a save puts a document's bytes without destroying what the library does
// not own. Links are followed to the file they lead to and stay links; a device,
// FIFO or socket is written through, never removed or replaced; a regular file is
// replaced by a complete new one written beside it, so a failed save leaves the
// old content whole.
#pragma once

#include <QByteArray>
#include <QFile>
#include <csignal>

struct stat;

class RurUrOroSaveTarget {
public:
    // `path` in the bytes the system takes.
    explicit RurUrOroSaveTarget(const QByteArray& path);
    RurUrOroSaveTarget(const RurUrOroSaveTarget&) = delete;
    RurUrOroSaveTarget& operator=(const RurUrOroSaveTarget&) = delete;
    // Discards whatever was not committed.
    ~RurUrOroSaveTarget();

    // False when the destination cannot be written at all: nothing was changed.
    bool open();
    // Open after a successful open(), until commit.
    QIODevice* device() { return &file; }
    // Hands the bytes over for good; false when any of them could not be written,
    // in which case a file that was to be replaced is left as it was.
    bool commit();

private:
    int openDestination();
    int createBeside(const struct stat* replaced);
    void discard();
    void holdBrokenPipeSignal();
    void releaseBrokenPipeSignal();

    const QByteArray path;
    QByteArray destination; // the path after links
    QByteArray beside;      // the new file renamed over the destination; empty when writing to it directly
    int descriptor = -1;
    QFile file;
    // While writing to a FIFO or socket: the signal mask to restore, and whether
    // SIGPIPE was already pending before we held it.
    bool holdingBrokenPipe = false;
    bool brokenPipeWasPending = false;
    sigset_t maskBefore;
};
