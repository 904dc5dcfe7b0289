#pragma once
// A time server for the tests: answers on 127.0.0.1:123 (UDP) from a thread of its own.

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// A server reply: leap indicator, mode and stratum as given, the transmit timestamp.
std::vector<uint8_t> SntpReply(uint32_t seconds, uint32_t fraction, int leap = 0, int mode = 4, int stratum = 2);
// NTP seconds of a local time in the tests' zone (JST, nine hours ahead of UTC).
uint32_t NtpSecondsOfJst(int year, int month, int day, int hour, int minute, int second);

class SntpTestServer {
public:
    SntpTestServer();
    ~SntpTestServer();
    SntpTestServer(const SntpTestServer&) = delete;
    SntpTestServer& operator=(const SntpTestServer&) = delete;

    // Binds 127.0.0.1:123 and starts answering. False when the port cannot be had.
    bool Start();
    // What each request gets: first a datagram from another port of this machine (if any), then
    // the reply from port 123 (none when empty: the request is held).
    void Answer(const std::vector<uint8_t>& reply, const std::vector<uint8_t>& foreign = {});
    // Sends a reply from port 123 to the last request's sender now.
    void ReplyToLast(const std::vector<uint8_t>& reply);
    int Requests();
    std::vector<uint8_t> LastRequest();
    int LastClientPort();
    // Waits up to timeoutMs for the given number of requests.
    bool WaitForRequests(int count, DWORD timeoutMs);

private:
    static DWORD WINAPI Serve(LPVOID self);
    void Stop();

    SOCKET socket_ = INVALID_SOCKET;
    SOCKET foreignSocket_ = INVALID_SOCKET;
    HANDLE thread_ = nullptr;
    volatile LONG stop_ = 0;
    CRITICAL_SECTION lock_;
    std::vector<uint8_t> reply_, foreign_, lastRequest_;
    sockaddr_in lastClient_{};
    int requests_ = 0;
};

}  // namespace testing_support
