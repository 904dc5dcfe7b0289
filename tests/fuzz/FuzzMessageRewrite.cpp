// A message file through the rewrite: it gives what the line rules give, never loses body bytes
// and never keeps a reservation line.
#include "../../common/pure/HeaderText.h"
#include "../../common/pure/MessageRewrite.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {
class Bytes : public ByteSource {
public:
    explicit Bytes(const std::string& bytes, size_t piece) : bytes_(bytes), piece_(piece ? piece : 1) {}
    int Read(unsigned char* buffer, int size) override
    {
        size_t count = bytes_.size() - at_;
        if (count > static_cast<size_t>(size))
            count = static_cast<size_t>(size);
        if (count > piece_)
            count = piece_;
        std::memcpy(buffer, bytes_.data() + at_, count);
        at_ += count;
        return static_cast<int>(count);
    }

private:
    const std::string& bytes_;
    size_t piece_;
    size_t at_ = 0;
};
class Collect : public ByteSink {
public:
    bool Write(const void* data, size_t size) override
    {
        bytes.append(static_cast<const char*>(data), size);
        return true;
    }
    std::string bytes;
};
const char NewDate[] = "Date: Mon, 07 Dec 2026 07:30:00 +0900";
class Dates : public DateLineMaker {
public:
    explicit Dates(bool give) : give_(give) {}
    bool NewDateLine(char* line, size_t size) override
    {
        std::snprintf(line, size, "%s", NewDate);
        return give_;
    }

private:
    bool give_;
};

// The next header line of message from at: its bytes, and where the line after it starts. A line
// ends at a LF, a CR LF or a lone CR. False for the last line, which has no end.
bool NextLine(const std::string& message, size_t* at, std::string* line)
{
    size_t end = message.find_first_of("\r\n", *at);
    bool ended = end != std::string::npos;
    *line = message.substr(*at, (ended ? end : message.size()) - *at);
    *at = ended ? end + 1 : message.size();
    if (ended && message[end] == '\r' && *at < message.size() && message[*at] == '\n')
        ++*at;
    return ended;
}

// The rewrite as its rules read, one whole line at a time: the streaming rewrite must give the
// same bytes. A field is its line and the folded lines after it (those that begin with a blank).
std::string Reference(const std::string& message, bool newDates)
{
    std::string out;
    size_t at = 0;
    bool dropping = false;
    for (;;) {
        std::string line;
        bool last = !NextLine(message, &at, &line);
        if (line.empty()) {
            if (last)
                return out;
            break;
        }
        dropping = dropping && (line[0] == ' ' || line[0] == '\t');
        if (dropping || StartsWithNoCase(line.c_str(), ReserveHeaderName)) {
            dropping = true;
            if (last)
                return out;
            continue;
        }
        if (newDates && StartsWithNoCase(line.c_str(), "Date:")) {
            dropping = true;
            line = NewDate;
        }
        out += line;
        if (last)
            return out;
        out += "\r\n";
    }
    return out + "\r\n" + message.substr(at);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    std::string message(reinterpret_cast<const char*>(data) + 1, size - 1);
    Bytes source(message, data[0]);
    BufferedReader reader(source);
    Collect out;
    Dates dates((data[0] & 2) != 0);
    if (!RewriteMessageText(reader, out, (data[0] & 1) ? &dates : nullptr))
        __builtin_trap();  // reads and writes never fail here
    if (out.bytes != Reference(message, (data[0] & 3) == 3))
        __builtin_trap();
    // The body after the first empty line is copied unchanged.
    size_t blank = std::string::npos;
    for (size_t at = 0; at < message.size();) {
        std::string line;
        bool ended = NextLine(message, &at, &line);
        if (ended && line.empty()) {
            blank = at;
            break;
        }
    }
    if (blank != std::string::npos) {
        std::string body = message.substr(blank);
        if (out.bytes.size() < body.size() + 2 || out.bytes.compare(out.bytes.size() - body.size(), body.size(), body) != 0)
            __builtin_trap();
        std::string header = out.bytes.substr(0, out.bytes.size() - body.size());
        for (size_t line = 0; line < header.size();) {
            if (StartsWithNoCase(header.c_str() + line, ReserveHeaderName))
                __builtin_trap();
            size_t feed = header.find('\n', line);
            if (feed == std::string::npos)
                break;
            line = feed + 1;
        }
    }
    return 0;
}
