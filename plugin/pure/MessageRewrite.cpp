#include "MessageRewrite.h"

#include "HeaderText.h"

#include <cstring>

namespace {

// Gathers the output into writes of up to 1 KB: header lines come in small pieces.
class GatheredSink {
public:
    explicit GatheredSink(ByteSink& sink) : sink_(sink) {}
    bool Put(const void* data, size_t size)
    {
        const char* bytes = static_cast<const char*>(data);
        while (size > 0) {
            if (used_ == sizeof buffer_ && !Flush())
                return false;
            size_t count = size < sizeof buffer_ - used_ ? size : sizeof buffer_ - used_;
            std::memcpy(buffer_ + used_, bytes, count);
            used_ += count;
            bytes += count;
            size -= count;
        }
        return true;
    }
    bool Flush()
    {
        bool written = used_ == 0 || sink_.Write(buffer_, used_);
        used_ = 0;
        return written;
    }

private:
    ByteSink& sink_;
    char buffer_[1024];
    size_t used_ = 0;
};

enum class LineEnd { Feed, EndOfFile, Failed, More };

// Reads the beginning of a line into head (at most size - 1 bytes, NUL-terminated; CR dropped,
// LF not stored). More when head filled up before the line ended; otherwise how it ended.
LineEnd ReadLineHead(BufferedReader& in, char* head, size_t size, size_t* length)
{
    *length = 0;
    head[0] = '\0';
    while (*length + 1 < size) {
        int c = in.Next();
        if (c == BufferedReader::End)
            return LineEnd::EndOfFile;
        if (c == BufferedReader::Failed)
            return LineEnd::Failed;
        if (c == '\n')
            return LineEnd::Feed;
        if (c != '\r') {
            head[(*length)++] = static_cast<char>(c);
            head[*length] = '\0';
        }
    }
    return LineEnd::More;
}

// Passes the rest of a line (CR dropped, LF taken but not passed) to out, or drops it when out is
// null. How the line ended.
LineEnd PassLineRest(BufferedReader& in, GatheredSink* out)
{
    for (;;) {
        const unsigned char* bytes = nullptr;
        int count = in.Peek(&bytes);
        if (count == 0)
            return LineEnd::EndOfFile;
        if (count < 0)
            return LineEnd::Failed;
        int i = 0;
        while (i < count) {
            int run = i;
            while (run < count && bytes[run] != '\n' && bytes[run] != '\r')
                ++run;
            if (out && run > i && !out->Put(bytes + i, static_cast<size_t>(run - i)))
                return LineEnd::Failed;
            if (run == count) {
                i = run;
                break;
            }
            if (bytes[run] == '\n') {
                in.Take(run + 1);
                return LineEnd::Feed;
            }
            i = run + 1;  // a CR
        }
        in.Take(i);
    }
}

}  // namespace

bool RewriteMessageText(BufferedReader& in, ByteSink& sink, DateLineMaker* dates)
{
    GatheredSink out(sink);
    for (;;) {
        // As much of the line as tells what it is; the rest streams through, however long.
        char head[ReserveHeaderChars + 1];
        size_t length = 0;
        LineEnd end = ReadLineHead(in, head, sizeof head, &length);
        if (end == LineEnd::Failed)
            return false;
        if (end != LineEnd::More && length == 0) {
            if (end == LineEnd::EndOfFile)
                return out.Flush();  // the file ends after a header line: there is no body
            break;
        }
        if (StartsWithNoCase(head, ReserveHeaderName)) {
            if (end == LineEnd::More)
                end = PassLineRest(in, nullptr);
        } else {
            char date[DateLineSize];
            if (dates && StartsWithNoCase(head, "Date:") && dates->NewDateLine(date, sizeof date)) {
                if (end == LineEnd::More)
                    end = PassLineRest(in, nullptr);
                if (!out.Put(date, std::strlen(date)))
                    return false;
            } else {
                if (!out.Put(head, length))
                    return false;
                if (end == LineEnd::More)
                    end = PassLineRest(in, &out);
            }
            // An unterminated last line goes out as it stands.
            if (end == LineEnd::Feed && !out.Put("\r\n", 2))
                return false;
        }
        if (end == LineEnd::Failed)
            return false;
        if (end == LineEnd::EndOfFile)
            return out.Flush();
    }
    if (!out.Put("\r\n", 2) || !out.Flush())
        return false;
    unsigned char chunk[1024];
    for (;;) {
        int count = in.ReadChunk(chunk, static_cast<int>(sizeof chunk));
        if (count == 0)
            return true;
        if (count < 0 || !sink.Write(chunk, static_cast<size_t>(count)))
            return false;
    }
}
