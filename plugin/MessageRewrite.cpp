#include "MessageRewrite.h"

#include "HeaderText.h"

static bool WriteText(ByteSink& out, const std::string& text)
{
    return text.empty() || out.Write(text.data(), text.size());
}

bool RewriteMessageText(BufferedReader& in, ByteSink& out, DateLineMaker* dates)
{
    std::string line;
    for (;;) {
        LineEnd end = ReadWholeLine(in, line);
        if (end == LineEnd::Failed)
            return false;
        bool last = end == LineEnd::EndOfFile;
        if (line.empty()) {
            if (last)
                return true;  // the file ends after a header line: there is no body
            break;
        }
        if (StartsWithNoCase(line.c_str(), ReserveHeaderName)) {
            if (last)
                return true;
            continue;
        }
        std::string replaced;
        if (dates && StartsWithNoCase(line.c_str(), "Date:") && dates->NewDateLine(replaced))
            line.swap(replaced);
        if (!WriteText(out, line))
            return false;
        // An unterminated last line goes out as it stands.
        if (last)
            return true;
        if (!out.Write("\r\n", 2))
            return false;
    }
    if (!out.Write("\r\n", 2))
        return false;
    unsigned char chunk[1024];
    for (;;) {
        int count = in.ReadChunk(chunk, static_cast<int>(sizeof chunk));
        if (count == 0)
            return true;
        if (count < 0 || !out.Write(chunk, static_cast<size_t>(count)))
            return false;
    }
}
