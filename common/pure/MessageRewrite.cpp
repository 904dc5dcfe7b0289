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

// A header line ends at a LF, a CR LF or a lone CR: a CR is never a byte of the line, and a CR
// alone ends it as the others do, so no line runs on into the next.
LineEnd EndAtReturn(BufferedReader& in)
{
    return TakeFeedAfterReturn(in) ? LineEnd::Feed : LineEnd::Failed;
}

// Reads the beginning of a line into head (at most size - 1 bytes, NUL-terminated; the line end
// not stored). More when head filled up before the line ended; otherwise how it ended.
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
        if (c == '\r')
            return EndAtReturn(in);
        head[(*length)++] = static_cast<char>(c);
        head[*length] = '\0';
    }
    return LineEnd::More;
}

// Passes the rest of a line (its line end taken but not passed) to out, or drops it when out is
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
        int run = 0;
        while (run < count && bytes[run] != '\n' && bytes[run] != '\r')
            ++run;
        if (out && run > 0 && !out->Put(bytes, static_cast<size_t>(run)))
            return LineEnd::Failed;
        if (run == count) {
            in.Take(run);
            continue;
        }
        bool feed = bytes[run] == '\n';
        in.Take(run + 1);
        return feed ? LineEnd::Feed : EndAtReturn(in);
    }
}

}  // namespace

bool RewriteMessageText(BufferedReader& in, ByteSink& sink, DateLineMaker* dates)
{
    GatheredSink out(sink);
    // A field is its line and the folded lines after it, that begin with a blank: a field dropped
    // or replaced goes with all of them.
    bool dropping = false;
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
        dropping = dropping && (head[0] == ' ' || head[0] == '\t');
        char date[DateLineSize];
        if (dropping || StartsWithNoCase(head, ReserveHeaderName)) {
            dropping = true;
            if (end == LineEnd::More)
                end = PassLineRest(in, nullptr);
        } else {
            if (dates && StartsWithNoCase(head, "Date:") && dates->NewDateLine(date, sizeof date)) {
                dropping = true;
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
    // The body goes out straight from the reader's buffer, in pieces as large as its reads.
    for (;;) {
        const unsigned char* bytes = nullptr;
        int count = in.Peek(&bytes);
        if (count == 0)
            return true;
        if (count < 0 || !sink.Write(bytes, static_cast<size_t>(count)))
            return false;
        in.Take(count);
    }
}
