#include "SntpTestServer.h"

#include <algorithm>
#include <ctime>

namespace testing_support {

namespace {

void PutTimestamp(std::vector<uint8_t>& data, size_t at, uint32_t seconds, uint32_t fraction)
{
    for (int i = 0; i < 4; ++i) {
        data[at + i] = static_cast<uint8_t>(seconds >> (24 - 8 * i));
        data[at + 4 + i] = static_cast<uint8_t>(fraction >> (24 - 8 * i));
    }
}

// Moves the timestamp at `at` by milliseconds.
void MoveTimestamp(std::vector<uint8_t>& data, size_t at, int64_t milliseconds)
{
    uint64_t value = 0;
    for (int i = 0; i < 8; ++i)
        value = value << 8 | data[at + i];
    value += static_cast<uint64_t>(milliseconds * 4294967296LL / 1000);
    PutTimestamp(data, at, static_cast<uint32_t>(value >> 32), static_cast<uint32_t>(value));
}

// The reply as sent to a request: its originate field carries the request's transmit time.
std::vector<uint8_t> Answering(std::vector<uint8_t> reply, const uint8_t* request, int requestLength)
{
    if (reply.size() >= 32 && requestLength >= 48)
        std::copy(request + 40, request + 48, reply.begin() + 24);
    return reply;
}

}  // namespace

std::vector<uint8_t> SntpReply(uint32_t seconds, uint32_t fraction, int leap, int mode, int stratum,
                               const char* referenceId)
{
    std::vector<uint8_t> data(48, 0);
    data[0] = static_cast<uint8_t>(leap << 6 | 3 << 3 | mode);
    data[1] = static_cast<uint8_t>(stratum);
    for (int i = 0; i < 4 && referenceId[i]; ++i)
        data[12 + i] = static_cast<uint8_t>(referenceId[i]);
    PutTimestamp(data, 32, seconds, fraction);
    PutTimestamp(data, 40, seconds, fraction);
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

void SntpTestServer::Answer(const std::vector<uint8_t>& reply, const std::vector<uint8_t>& foreign,
                           const std::vector<uint8_t>& forged)
{
    EnterCriticalSection(&lock_);
    reply_ = reply;
    foreign_ = foreign;
    forged_ = forged;
    live_ = false;
    LeaveCriticalSection(&lock_);
}

void SntpTestServer::AnswerLive(int64_t aheadMs)
{
    EnterCriticalSection(&lock_);
    live_ = true;
    aheadMs_ = aheadMs;
    LeaveCriticalSection(&lock_);
}

void SntpTestServer::Travel(const std::vector<SntpPath>& paths)
{
    EnterCriticalSection(&lock_);
    paths_ = paths;
    travelled_ = 0;
    LeaveCriticalSection(&lock_);
}

void SntpTestServer::ReplyToLast(const std::vector<uint8_t>& reply)
{
    EnterCriticalSection(&lock_);
    sockaddr_in to = lastClient_;
    std::vector<uint8_t> answer = Answering(reply, lastRequest_.data(), static_cast<int>(lastRequest_.size()));
    LeaveCriticalSection(&lock_);
    sendto(socket_, reinterpret_cast<const char*>(answer.data()), static_cast<int>(answer.size()), 0,
           reinterpret_cast<sockaddr*>(&to), sizeof to);
}

int64_t SntpTestServer::LastTransmitTicks()
{
    EnterCriticalSection(&lock_);
    int64_t ticks = lastTransmit_;
    LeaveCriticalSection(&lock_);
    return ticks;
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
        std::vector<uint8_t> reply = self->reply_, foreign = self->foreign_, forged = self->forged_;
        bool live = self->live_;
        int64_t aheadMs = self->aheadMs_;
        SntpPath path{0, 0, false};
        if (!self->paths_.empty())
            path = self->paths_[std::min(self->travelled_++, self->paths_.size() - 1)];
        LeaveCriticalSection(&self->lock_);
        // A real path holds the request and the reply; a faked one moves the answer's times.
        DWORD inMs = path.faked ? 0 : static_cast<DWORD>(path.inMs);
        DWORD outMs = path.faked ? 0 : static_cast<DWORD>(path.outMs);
        Sleep(inMs);
        if (live) {
            FILETIME now;
            GetSystemTimeAsFileTime(&now);
            int64_t ticks = static_cast<int64_t>(static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime) +
                            aheadMs * 10000;
            int64_t ntp = ticks - 9435484800LL * 10000000LL;  // since 1900
            uint32_t seconds = static_cast<uint32_t>(ntp / 10000000);
            uint32_t fraction = static_cast<uint32_t>(((ntp % 10000000) << 32) / 10000000);
            reply = SntpReply(seconds, fraction);
            EnterCriticalSection(&self->lock_);
            self->lastTransmit_ = ticks - (path.faked ? path.outMs * 10000 : 0);
            LeaveCriticalSection(&self->lock_);
        }
        Sleep(outMs);
        if (path.faked && reply.size() >= 48) {
            MoveTimestamp(reply, 32, path.inMs);
            MoveTimestamp(reply, 40, -path.outMs);
        }
        reply = Answering(reply, data, got);
        foreign = Answering(foreign, data, got);
        if (!foreign.empty())
            sendto(self->foreignSocket_, reinterpret_cast<const char*>(foreign.data()), static_cast<int>(foreign.size()),
                   0, reinterpret_cast<sockaddr*>(&from), sizeof from);
        if (!forged.empty())
            sendto(self->socket_, reinterpret_cast<const char*>(forged.data()), static_cast<int>(forged.size()), 0,
                   reinterpret_cast<sockaddr*>(&from), sizeof from);
        if (!reply.empty())
            sendto(self->socket_, reinterpret_cast<const char*>(reply.data()), static_cast<int>(reply.size()), 0,
                   reinterpret_cast<sockaddr*>(&from), sizeof from);
    }
    return 0;
}

}  // namespace testing_support
