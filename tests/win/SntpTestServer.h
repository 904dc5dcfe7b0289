#pragma once
// A time server for the tests: answers on 127.0.0.1:123 (UDP) from a thread of its own.

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// How a request and its answer travel: held inMs on the way in and outMs on the way back, in real
// time; or, faked, at once, with the answer's receive time moved on by inMs and its transmit time
// back by outMs, which is how that path looks to a client whose clock stood still meanwhile.
struct SntpPath {
    int64_t inMs, outMs;
    bool faked;
};

// A server reply: leap indicator, mode and stratum as given, the receive and transmit timestamps
// both the time given. The server puts the request's transmit time in its originate field.
std::vector<uint8_t> SntpReply(uint32_t seconds, uint32_t fraction, int leap = 0, int mode = 4, int stratum = 2,
                               const char* referenceId = "GPS");
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
    // a forged one from port 123 that does not answer the request (if any; sent as given), then
    // the reply from port 123 (none when empty: the request is held). The reply and the datagram
    // from another port answer the request: their originate is the request's transmit time.
    void Answer(const std::vector<uint8_t>& reply, const std::vector<uint8_t>& foreign = {},
                const std::vector<uint8_t>& forged = {});
    // Instead of a fixed reply, each request is answered with this machine's clock moved by
    // aheadMs, read as the request arrives.
    void AnswerLive(int64_t aheadMs);
    // The paths of the next requests in turn, the last one for every request after them (at
    // first, and when empty, none takes any time).
    void Travel(const std::vector<SntpPath>& paths);
    // Sends a reply from port 123 to the last request's sender now, answering that request.
    void ReplyToLast(const std::vector<uint8_t>& reply);
    // The transmit time of the last live reply, in 100-ns units since 1601 (UTC).
    int64_t LastTransmitTicks();
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
    std::vector<uint8_t> reply_, foreign_, forged_, lastRequest_;
    std::vector<SntpPath> paths_;
    size_t travelled_ = 0;
    bool live_ = false;
    int64_t aheadMs_ = 0;
    int64_t lastTransmit_ = 0;
    sockaddr_in lastClient_{};
    int requests_ = 0;
};

}  // namespace testing_support
