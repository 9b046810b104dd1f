// A stream reader's input, passed through the input guard block by block: the
// reader gets every byte before a breach of the limits and none after it, so it
// stops at the same place however the input arrives. The reader itself has to
// read markup from the raw bytes, so an encoding that does not write markup as
// ASCII (UTF-7, EBCDIC) is refused at its declaration.
#pragma once

#include "rururoroinputguard.h"

#include <QIODevice>

#include <optional>

class RurUrOroGuardedInput : public QIODevice {
public:
    // Reads from `source`, which stays the caller's.
    explicit RurUrOroGuardedInput(QIODevice* source);

    bool isSequential() const override;
    bool atEnd() const override;

    // Called with the declaration's encoding before any markup after it is read.
    void encodingDeclared(const QString& encoding);
    // Whether the input was cut, and why in words.
    bool refused() const
    {
        return refusedEncoding() || (guard && guard->refusal() != RurUrOroInputGuard::Refusal::None);
    }
    bool refusedEncoding() const { return !encodingRefused.isEmpty(); }
    QString refusalMessage() const;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    void scanHeld(int from);
    qint64 deliver(char* data, qint64 maxSize);

    QIODevice* source;
    std::optional<RurUrOroInputGuard> guard; // made once the first bytes tell the code units
    QString encodingRefused;
    // Scanned bytes not handed on yet: those of a reference not yet ended,
    // or any beyond what one request takes.
    QByteArray held;
    qint64 delivered = 0; // bytes handed to the reader
    qint64 parsable = 0;  // bytes the guard lets through so far
    bool sourceEnded = false;
};
