// The per-line cost of the outbox scan when nothing is held: finding the lines of an index and
// splitting each into its name and flag word, in memory, against copying the same bytes once and
// against the plainest possible pass over them (counting the line ends one byte at a time).
//
// index_parse_bench [lines] [rounds]: an index like the outbox benchmark's (default 5,000 lines),
// each figure the best of `rounds` (default 7) passes of 100 readings.
#include "../common/pure/EntryIndex.h"
#include "../common/pure/LineReader.h"
#include "Seconds.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class MemorySource : public ByteSource {
public:
    explicit MemorySource(const std::string& bytes) : bytes_(bytes) {}
    int Read(unsigned char* buffer, int size) override
    {
        size_t count = bytes_.size() - at_;
        if (count > static_cast<size_t>(size))
            count = static_cast<size_t>(size);
        std::memcpy(buffer, bytes_.data() + at_, count);
        at_ += count;
        return static_cast<int>(count);
    }

private:
    const std::string& bytes_;
    size_t at_ = 0;
};

volatile long Sink;
unsigned char ReadBuffer[64 * 1024];
const int Readings = 100;

// Best time per line, in ns, of `rounds` passes of `Readings` readings of the index.
template <typename Pass>
double BestNsPerLine(int rounds, int lines, Pass pass)
{
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        double start = Now();
        for (int k = 0; k < Readings; ++k)
            Sink = Sink + pass();
        double each = (Now() - start) / Readings / lines * 1e9;
        if (each < best)
            best = each;
    }
    return best;
}

// The index's lines as the scan reads them; with split, each also parsed as the scan parses it.
// The count of queued entries (split) or of lines.
long ReadIndex(const std::string& index, bool split)
{
    MemorySource source(index);
    BufferedReader reader(source, ReadBuffer, sizeof ReadBuffer);
    char line[1024];
    long counted = 0;
    while (ReadFileLine(reader, line, sizeof line) && line[0]) {
        char name[1024];
        uint32_t flags = 0;
        if (!split || (ParseIndexLine(line, name, sizeof name, &flags) && (flags & EntryQueued)))
            ++counted;
    }
    return counted;
}

}  // namespace

int main(int argc, char** argv)
{
    int lines = argc > 1 ? std::atoi(argv[1]) : 5000;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    if (lines < 1 || rounds < 1) {
        std::fprintf(stderr, "usage: index_parse_bench [lines] [rounds]\n");
        return 2;
    }
    std::string index;
    for (int e = 0; e < lines; ++e) {
        char name[16];
        std::snprintf(name, sizeof name, "%08X", static_cast<unsigned>(e) * 7919u);
        index += std::string(name) + "=AAAAAQAAAAAAAAAA:Subject " + name + "\r\n";
    }

    double copy = BestNsPerLine(rounds, lines, [&] {
        MemorySource source(index);
        long total = 0;
        for (int got; (got = source.Read(ReadBuffer, sizeof ReadBuffer)) > 0;)
            total += got;
        return total;
    });
    double count = BestNsPerLine(rounds, lines, [&] {
        const volatile unsigned char* bytes = reinterpret_cast<const unsigned char*>(index.data());
        long ends = 0;
        for (size_t i = 0; i < index.size(); ++i)
            ends += bytes[i] == '\n';
        return ends;
    });
    double read = BestNsPerLine(rounds, lines, [&] { return ReadIndex(index, false); });
    double parse = BestNsPerLine(rounds, lines, [&] { return ReadIndex(index, true); });

    std::printf("%d lines, %zu bytes, best of %d x %d readings\n\n", lines, index.size(), rounds, Readings);
    std::printf("| pass over the index | ns per line |\n|---|---:|\n");
    std::printf("| copy the bytes once (64 KB pieces) | %.1f |\n", copy);
    std::printf("| count the line ends, one byte at a time | %.1f |\n", count);
    std::printf("| ReadFileLine: every line into the line buffer | %.1f |\n", read);
    std::printf("| ReadFileLine and ParseIndexLine: the scan's work per queued entry | %.1f |\n", parse);
    return 0;
}
