#include "SntpTestServer.h"

#include <ctime>

namespace testing_support {

std::vector<uint8_t> SntpReply(uint32_t seconds, uint32_t fraction, int leap, int mode, int stratum)
{
    std::vector<uint8_t> data(48, 0);
    data[0] = static_cast<uint8_t>(leap << 6 | 3 << 3 | mode);
    data[1] = static_cast<uint8_t>(stratum);
    for (int i = 0; i < 4; ++i) {
        data[40 + i] = static_cast<uint8_t>(seconds >> (24 - 8 * i));
        data[44 + i] = static_cast<uint8_t>(fraction >> (24 - 8 * i));
    }
    return data;
}

uint32_t NtpSecondsOfJst(int year, int month, int day, int hour, int minute, int second)
{
    // Days from 1970-01-01 to the date (civil calendar), then back by nine hours.
    int y = year - (month <= 2 ? 1 : 0);
    int era = y / 400;
    int yoe = y - era * 400;
    int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    int64_t days = static_cast<int64_t>(era) * 146097 + doe - 719468;
    int64_t unix = days * 86400 + hour * 3600 + minute * 60 + second - 9 * 3600;
    return static_cast<uint32_t>(unix + 2208988800LL);
}

SntpTestServer::SntpTestServer()
{
    InitializeCriticalSection(&lock_);
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
}

SntpTestServer::~SntpTestServer()
{
    Stop();
    DeleteCriticalSection(&lock_);
    WSACleanup();
}

bool SntpTestServer::Start()
{
    socket_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    foreignSocket_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    local.sin_port = htons(123);
    if (socket_ == INVALID_SOCKET || bind(socket_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
        return false;
    local.sin_port = 0;
    if (foreignSocket_ == INVALID_SOCKET || bind(foreignSocket_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
        return false;
    thread_ = CreateThread(nullptr, 0, Serve, this, 0, nullptr);
    return thread_ != nullptr;
}

void SntpTestServer::Stop()
{
    InterlockedExchange(&stop_, 1);
    if (thread_) {
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    if (socket_ != INVALID_SOCKET)
        closesocket(socket_);
    if (foreignSocket_ != INVALID_SOCKET)
        closesocket(foreignSocket_);
    socket_ = foreignSocket_ = INVALID_SOCKET;
}

void SntpTestServer::Answer(const std::vector<uint8_t>& reply, const std::vector<uint8_t>& foreign)
{
    EnterCriticalSection(&lock_);
    reply_ = reply;
    foreign_ = foreign;
    LeaveCriticalSection(&lock_);
}

void SntpTestServer::ReplyToLast(const std::vector<uint8_t>& reply)
{
    EnterCriticalSection(&lock_);
    sockaddr_in to = lastClient_;
    LeaveCriticalSection(&lock_);
    sendto(socket_, reinterpret_cast<const char*>(reply.data()), static_cast<int>(reply.size()), 0,
           reinterpret_cast<sockaddr*>(&to), sizeof to);
}

int SntpTestServer::Requests()
{
    EnterCriticalSection(&lock_);
    int count = requests_;
    LeaveCriticalSection(&lock_);
    return count;
}

std::vector<uint8_t> SntpTestServer::LastRequest()
{
    EnterCriticalSection(&lock_);
    std::vector<uint8_t> request = lastRequest_;
    LeaveCriticalSection(&lock_);
    return request;
}

int SntpTestServer::LastClientPort()
{
    EnterCriticalSection(&lock_);
    int port = ntohs(lastClient_.sin_port);
    LeaveCriticalSection(&lock_);
    return port;
}

bool SntpTestServer::WaitForRequests(int count, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
        if (Requests() >= count)
            return true;
        Sleep(20);
    }
    return Requests() >= count;
}

DWORD WINAPI SntpTestServer::Serve(LPVOID parameter)
{
    auto self = static_cast<SntpTestServer*>(parameter);
    while (!self->stop_) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(self->socket_, &readable);
        timeval wait{0, 50000};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0)
            continue;
        uint8_t data[512];
        sockaddr_in from{};
        int fromLength = sizeof from;
        int got = recvfrom(self->socket_, reinterpret_cast<char*>(data), sizeof data, 0,
                           reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (got < 0)
            continue;
        EnterCriticalSection(&self->lock_);
        ++self->requests_;
        self->lastRequest_.assign(data, data + got);
        self->lastClient_ = from;
        std::vector<uint8_t> reply = self->reply_, foreign = self->foreign_;
        LeaveCriticalSection(&self->lock_);
        if (!foreign.empty())
            sendto(self->foreignSocket_, reinterpret_cast<const char*>(foreign.data()), static_cast<int>(foreign.size()),
                   0, reinterpret_cast<sockaddr*>(&from), sizeof from);
        if (!reply.empty())
            sendto(self->socket_, reinterpret_cast<const char*>(reply.data()), static_cast<int>(reply.size()), 0,
                   reinterpret_cast<sockaddr*>(&from), sizeof from);
    }
    return 0;
}

}  // namespace testing_support
