#include "rururorosavetarget.h"

#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The kernel gives up on longer chains too (ELOOP), and so does the open after.
const int MaxLinkHops = 40;

// Up to and including the last slash; empty for a name in the working directory.
QByteArray directoryPrefix(const QByteArray& path)
{
    return path.left(path.lastIndexOf('/') + 1);
}

// The name a chain of links ends at, which need not exist yet.
QByteArray followLinks(QByteArray path)
{
    for (int hop = 0; hop < MaxLinkHops; ++hop) {
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.constData(), target, sizeof target);
        if (length <= 0 || length == sizeof target)
            break;
        const QByteArray next(target, int(length));
        path = next.startsWith('/') ? next : directoryPrefix(path) + next;
    }
    return path;
}

int blocking(int descriptor)
{
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags >= 0 && ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) == 0)
        return descriptor;
    ::close(descriptor);
    return -1;
}

// Saving to a socket is talking to whoever listens on it; a full backlog refuses
// rather than waits.
int connectTo(const QByteArray& path)
{
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= int(sizeof address.sun_path))
        return -1;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket >= 0 && ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return blocking(socket);
    if (socket >= 0)
        ::close(socket);
    return -1;
}

// The new file takes the old one's place: same owner and group where they may be
// given (only root may give a file away), same mode. Set-ID bits stay only with
// the owner they were meant for.
bool keepOwnerAndMode(int descriptor, const struct stat& old)
{
    const bool ownerKept = ::fchown(descriptor, old.st_uid, old.st_gid) == 0;
    return ::fchmod(descriptor, old.st_mode & (ownerKept ? 07777 : 0777)) == 0;
}

} // namespace

RurUrOroSaveTarget::RurUrOroSaveTarget(const QByteArray& path) : path(path) {}

RurUrOroSaveTarget::~RurUrOroSaveTarget()
{
    discard();
}

bool RurUrOroSaveTarget::open()
{
    destination = followLinks(path);
    descriptor = destination.isEmpty() ? -1 : openDestination();
    // The descriptor stays ours: commit syncs it after Qt's last write.
    if (descriptor >= 0 && file.open(descriptor, QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
        return true;
    discard();
    return false;
}

int RurUrOroSaveTarget::openDestination()
{
    // Opened without waiting, so a FIFO nobody reads refuses at once (ENXIO)
    // instead of holding the host. A socket refuses the same way and is
    // connected to instead.
    const int existing = ::open(destination.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (existing < 0 && errno == ENXIO)
        holdBrokenPipeSignal();
    if (existing < 0)
        return errno == ENXIO ? connectTo(destination) : errno == ENOENT ? createBeside(nullptr) : -1;
    struct stat status;
    if (::fstat(existing, &status) != 0) {
        ::close(existing);
        return -1;
    }
    if (S_ISFIFO(status.st_mode))
        holdBrokenPipeSignal();
    const bool regular = S_ISREG(status.st_mode);
    if (regular && status.st_nlink == 1) {
        const int created = createBeside(&status);
        if (created >= 0) {
            ::close(existing);
            return created;
        }
    }
    // In place: a device, FIFO or socket is written through. A file with more than
    // one name is written in place so that every name keeps seeing it, and one in
    // a directory that takes no new file (while the file itself may be written)
    // can still be saved, as a plain open would, at the price of a failure
    // leaving it part-written.
    if (regular && ::ftruncate(existing, 0) != 0) {
        ::close(existing);
        return -1;
    }
    return blocking(existing);
}

// A new file in the destination's directory, under a name nobody else uses, so a
// rename can put it in place. Mode 0666 leaves the rest to the umask, as for any
// new file; one that replaces another takes over its owner and mode.
int RurUrOroSaveTarget::createBeside(const struct stat* replaced)
{
    const int slash = destination.lastIndexOf('/');
    // Short enough to fit whatever the destination's name is.
    const QByteArray stem = directoryPrefix(destination) + '.' + destination.mid(slash + 1).left(200) + '.';
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QByteArray name = stem + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        const int created = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (created < 0 && errno == EEXIST)
            continue;
        if (created < 0)
            return -1;
        if (!replaced || keepOwnerAndMode(created, *replaced)) {
            beside = name;
            return created;
        }
        ::close(created);
        ::unlink(name.constData());
        return -1;
    }
    return -1;
}

// Qt keeps the last bytes until the flush, and a disk may report errors only to
// fsync: both come before a new file takes the old one's place. A device, FIFO
// or socket cannot be synced (EINVAL), nor needs to be.
bool RurUrOroSaveTarget::commit()
{
    bool written = file.flush();
    file.close();
    written = written && (::fsync(descriptor) == 0 || errno == EINVAL);
    written = ::close(descriptor) == 0 && written;
    descriptor = -1;
    if (written && !beside.isEmpty()) {
        written = ::rename(beside.constData(), destination.constData()) == 0;
        if (written)
            beside.clear();
    }
    discard();
    return written;
}

// A FIFO or socket whose reader goes away answers a write with SIGPIPE, whose
// default action would end the host. The signal is held for this thread while
// we write (the write fails with EPIPE instead, and the save reports it); one we
// caused is taken back before the mask is restored, so the host never sees it.
void RurUrOroSaveTarget::holdBrokenPipeSignal()
{
    sigset_t brokenPipe;
    sigemptyset(&brokenPipe);
    sigaddset(&brokenPipe, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    brokenPipeWasPending = sigismember(&pending, SIGPIPE) == 1;
    holdingBrokenPipe = ::pthread_sigmask(SIG_BLOCK, &brokenPipe, &maskBefore) == 0;
}

void RurUrOroSaveTarget::releaseBrokenPipeSignal()
{
    if (!holdingBrokenPipe)
        return;
    sigset_t brokenPipe;
    sigemptyset(&brokenPipe);
    sigaddset(&brokenPipe, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    if (!brokenPipeWasPending && sigismember(&pending, SIGPIPE) == 1) {
        const timespec now = {0, 0};
        while (::sigtimedwait(&brokenPipe, nullptr, &now) < 0 && errno == EINTR) {
        }
    }
    ::pthread_sigmask(SIG_SETMASK, &maskBefore, nullptr);
    holdingBrokenPipe = false;
}

// The file beside goes; the destination stays as it was.
void RurUrOroSaveTarget::discard()
{
    file.close();
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
    if (!beside.isEmpty())
        ::unlink(beside.constData());
    beside.clear();
    releaseBrokenPipeSignal();
}
