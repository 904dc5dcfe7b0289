#include <winsock2.h>

#include "SntpExchange.h"

#include "SntpPacket.h"
#include "Time32.h"

#include <cstdint>

namespace {

// Owns a socket; closes it on every way out.
class Socket {
public:
    explicit Socket(SOCKET handle) : handle_(handle) {}
    ~Socket()
    {
        if (handle_ != INVALID_SOCKET)
            closesocket(handle_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    bool Valid() const { return handle_ != INVALID_SOCKET; }
    SOCKET Get() const { return handle_; }

private:
    SOCKET handle_;
};

// The server's IPv4 address in network order, or 0 when it cannot be found.
u_long ServerAddress(const char* server)
{
    u_long address = inet_addr(server);
    if (address != 0 && address != INADDR_NONE)
        return address;
    hostent* host = gethostbyname(server);
    if (!host || host->h_addrtype != AF_INET || host->h_length != 4 || !host->h_addr_list[0])
        return 0;
    in_addr first;
    memcpy(&first, host->h_addr_list[0], sizeof first);
    return first.s_addr;
}

// Waits for an acceptable reply until the deadline; datagrams from any other sender are dropped.
bool ReceiveReply(SOCKET socket, const sockaddr_in& server, int timeoutSeconds, SntpTransmitTime* reply)
{
    const DWORD limit = static_cast<DWORD>(timeoutSeconds) * 1000;
    const DWORD started = GetTickCount();
    bool first = true;
    for (;;) {
        DWORD elapsed = GetTickCount() - started;
        if (!first && elapsed >= limit)
            return false;
        DWORD left = first ? limit : limit - elapsed;
        first = false;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket, &readable);
        timeval wait;
        wait.tv_sec = static_cast<long>(left / 1000);
        wait.tv_usec = static_cast<long>(left % 1000) * 1000;
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0 || !FD_ISSET(socket, &readable))
            return false;
        // Room for a longer reply (authenticator), so it is read whole rather than refused.
        uint8_t data[512];
        sockaddr_in from{};
        int fromLength = sizeof from;
        int got = recvfrom(socket, reinterpret_cast<char*>(data), sizeof data, 0, reinterpret_cast<sockaddr*>(&from),
                           &fromLength);
        if (got == SOCKET_ERROR)
            return false;
        if (from.sin_family != AF_INET || from.sin_addr.s_addr != server.sin_addr.s_addr ||
            from.sin_port != server.sin_port)
            continue;
        return ReadSntpReply(data, static_cast<size_t>(got), reply);
    }
}

}  // namespace

int SntpExchange(const char* server, int timeoutSeconds, SetClockProc setClock)
{
    if (!server || !*server)
        return SntpFailed;
    if (timeoutSeconds < 0)
        timeoutSeconds = 0;
    SntpTransmitTime reply{};
    {
        Socket socket(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
        if (!socket.Valid())
            return SntpNoSocket;
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_ANY);
        local.sin_port = htons(SntpClientPort);
        if (bind(socket.Get(), reinterpret_cast<sockaddr*>(&local), sizeof local) == SOCKET_ERROR)
            return SntpNoSocket;

        sockaddr_in target{};
        target.sin_family = AF_INET;
        target.sin_addr.s_addr = ServerAddress(server);
        target.sin_port = htons(SntpServerPort);
        if (target.sin_addr.s_addr == 0)
            return SntpFailed;

        uint8_t request[SntpPacketSize];
        BuildSntpRequest(request);
        if (sendto(socket.Get(), reinterpret_cast<const char*>(request), sizeof request, 0,
                   reinterpret_cast<sockaddr*>(&target), sizeof target) == SOCKET_ERROR)
            return SntpFailed;
        if (!ReceiveReply(socket.Get(), target, timeoutSeconds, &reply))
            return SntpFailed;
    }

    std::tm local{};
    if (!LocalTime32(reply.calendar, &local))
        return SntpFailed;
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(local.tm_year + 1900);
    time.wMonth = static_cast<WORD>(local.tm_mon + 1);
    time.wDay = static_cast<WORD>(local.tm_mday);
    time.wHour = static_cast<WORD>(local.tm_hour);
    time.wMinute = static_cast<WORD>(local.tm_min);
    time.wSecond = static_cast<WORD>(local.tm_sec);
    time.wMilliseconds = static_cast<WORD>(reply.milliseconds);
    setClock(&time);  // a refused change goes unnoticed
    return SntpClockSet;
}
