// A device that takes a given number of bytes, then refuses, as a full disk does.
#pragma once

#include <QIODevice>

class FullDevice : public QIODevice {
public:
    explicit FullDevice(qint64 room) : room(room) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 length) override
    {
        const qint64 taken = qMin(length, room);
        room -= taken;
        return taken > 0 ? taken : -1;
    }

private:
    qint64 room;
};
