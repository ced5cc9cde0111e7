#pragma once
// Frames on the socket between a program and its analysis helper: one kind
// byte, the payload's length (4 bytes, little-endian), the payload.

#include <QByteArray>
#include <functional>

enum TFrameKind : unsigned char {
    fkHello = 'H',     // helper: ready for pages
    fkRequest = 'Q',   // program: a page and its rules
    fkOutcome = 'R',   // helper: one rule's outcome; a page ends after its last
                       // rule's or after the first failed one
};

// Larger frames are refused: no page or value list of a bounded helper gets there.
constexpr qint64 kMaxFrameBytes = qint64(1) << 30;

struct TFrame {
    TFrameKind Kind = fkHello;
    QByteArray Payload;
};

// The helper's side: blocking. False at the end of input or on any error.
bool ReadFrameBlocking(int aFd, TFrame& aFrame);
bool WriteFrameBlocking(int aFd, TFrameKind aKind, const QByteArray& aPayload);

// The program's side: waits in slices of at most aSliceMs, asking aKeepWaiting
// between them, so a cancel, a clock or a memory check can end any wait.
enum TWaitResult { wrDone, wrStopped, wrClosed };
using TKeepWaiting = std::function<bool()>;

class TFrameConnection {
public:
    explicit TFrameConnection(int aFd) : FFd(aFd) {}
    TWaitResult Write(TFrameKind aKind, const QByteArray& aPayload, const TKeepWaiting& aKeepWaiting);
    TWaitResult Read(TFrame& aFrame, const TKeepWaiting& aKeepWaiting);
    int Fd() const { return FFd; }

    static constexpr int kSliceMs = 20;

private:
    bool TakeBufferedFrame(TFrame& aFrame, bool& aMalformed);

    int FFd;
    QByteArray FBuffer;
};
