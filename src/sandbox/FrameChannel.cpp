#include "sandbox/FrameChannel.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kHeaderBytes = 5;

QByteArray Header(TFrameKind aKind, qint64 aLength)
{
    QByteArray header(kHeaderBytes, '\0');
    header[0] = char(aKind);
    for (int i = 0; i < 4; ++i)
        header[1 + i] = char((quint64(aLength) >> (8 * i)) & 0xFF);
    return header;
}

qint64 PayloadLength(const char* aHeader)
{
    quint64 length = 0;
    for (int i = 0; i < 4; ++i)
        length |= quint64(static_cast<unsigned char>(aHeader[1 + i])) << (8 * i);
    return qint64(length);
}

bool KnownKind(char aKind)
{
    switch (static_cast<unsigned char>(aKind)) {
    case fkHello:
    case fkRequest:
    case fkOutcome:
        return true;
    default:
        return false;
    }
}

bool ReadAll(int aFd, char* aData, qint64 aSize)
{
    while (aSize > 0) {
        const ssize_t got = ::read(aFd, aData, size_t(aSize));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        aData += got;
        aSize -= got;
    }
    return true;
}

bool SendAll(int aFd, const char* aData, qint64 aSize)
{
    while (aSize > 0) {
        const ssize_t sent = ::send(aFd, aData, size_t(aSize), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        aData += sent;
        aSize -= sent;
    }
    return true;
}

}  // namespace

bool ReadFrameBlocking(int aFd, TFrame& aFrame)
{
    char header[kHeaderBytes];
    if (!ReadAll(aFd, header, kHeaderBytes) || !KnownKind(header[0]))
        return false;
    const qint64 length = PayloadLength(header);
    if (length > kMaxFrameBytes)
        return false;
    aFrame.Kind = TFrameKind(static_cast<unsigned char>(header[0]));
    aFrame.Payload = QByteArray(length, Qt::Uninitialized);
    return ReadAll(aFd, aFrame.Payload.data(), length);
}

bool WriteFrameBlocking(int aFd, TFrameKind aKind, const QByteArray& aPayload)
{
    if (aPayload.size() > kMaxFrameBytes)
        return false;
    const QByteArray header = Header(aKind, aPayload.size());
    return SendAll(aFd, header.constData(), header.size()) && SendAll(aFd, aPayload.constData(), aPayload.size());
}

TWaitResult TFrameConnection::Write(TFrameKind aKind, const QByteArray& aPayload, const TKeepWaiting& aKeepWaiting)
{
    if (aPayload.size() > kMaxFrameBytes)
        return wrClosed;
    const QByteArray header = Header(aKind, aPayload.size());
    for (const QByteArray* part : {&header, &aPayload}) {
        const char* data = part->constData();
        qint64 left = part->size();
        while (left > 0) {
            const ssize_t sent = ::send(FFd, data, size_t(left), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent > 0) {
                data += sent;
                left -= sent;
                continue;
            }
            if (sent < 0 && errno == EINTR)
                continue;
            if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                return wrClosed;
            pollfd wait{FFd, POLLOUT, 0};
            ::poll(&wait, 1, kSliceMs);
            if ((wait.revents & (POLLERR | POLLHUP)) != 0)
                return wrClosed;
            if (!aKeepWaiting())
                return wrStopped;
        }
    }
    return wrDone;
}

bool TFrameConnection::TakeBufferedFrame(TFrame& aFrame, bool& aMalformed)
{
    aMalformed = false;
    if (FBuffer.size() < kHeaderBytes)
        return false;
    const qint64 length = PayloadLength(FBuffer.constData());
    if (!KnownKind(FBuffer[0]) || length > kMaxFrameBytes) {
        aMalformed = true;
        return false;
    }
    if (FBuffer.size() < kHeaderBytes + length)
        return false;
    aFrame.Kind = TFrameKind(static_cast<unsigned char>(FBuffer[0]));
    if (FBuffer.size() == kHeaderBytes + length) {
        // the usual case: the buffer holds this frame alone, so it is handed over
        aFrame.Payload = std::move(FBuffer);
        aFrame.Payload.remove(0, kHeaderBytes);
        FBuffer = QByteArray();
    } else {
        aFrame.Payload = FBuffer.mid(kHeaderBytes, length);
        FBuffer.remove(0, kHeaderBytes + length);
    }
    return true;
}

TWaitResult TFrameConnection::Read(TFrame& aFrame, const TKeepWaiting& aKeepWaiting)
{
    bool malformed = false;
    char chunk[1 << 16];
    // A long stream of bytes still gets asked between slices.
    auto nextCheck = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSliceMs);
    for (;;) {
        if (TakeBufferedFrame(aFrame, malformed))
            return wrDone;
        if (malformed)
            return wrClosed;
        const ssize_t got = ::recv(FFd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (got > 0) {
            if (FBuffer.size() == 0 && got >= kHeaderBytes)
                FBuffer.reserve(kHeaderBytes + std::min(PayloadLength(chunk), kMaxFrameBytes));
            FBuffer.append(chunk, got);
            if (const auto now = std::chrono::steady_clock::now(); now >= nextCheck) {
                nextCheck = now + std::chrono::milliseconds(kSliceMs);
                if (!aKeepWaiting())
                    return wrStopped;
            }
            continue;
        }
        if (got == 0)
            return wrClosed;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return wrClosed;
        pollfd wait{FFd, POLLIN, 0};
        if (::poll(&wait, 1, kSliceMs) > 0)
            continue;  // data, or a hang-up that recv reports
        nextCheck = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSliceMs);
        if (!aKeepWaiting())
            return wrStopped;
    }
}
