#include "HeaderWords.h"

#include "ShiftJis.h"

#include <cstring>

namespace {

bool SameNoCase(const char* text, size_t length, const char* name)
{
    size_t i = 0;
    for (; i < length && name[i]; ++i) {
        char a = text[i], b = name[i];
        if (a >= 'a' && a <= 'z')
            a = static_cast<char>(a - 'a' + 'A');
        if (a != b)
            return false;
    }
    return i == length && !name[i];
}

int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    return c == '+' ? 62 : c == '/' ? 63 : -1;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Decodes the word's text (B or Q) into bytes; false when it is not well formed.
bool DecodeWordText(char encoding, const char* text, size_t length, unsigned char* bytes, size_t* count)
{
    size_t n = 0;
    if (encoding == 'B') {
        unsigned bits = 0;
        int held = 0;
        for (size_t i = 0; i < length && text[i] != '='; ++i) {
            int value = Base64Value(text[i]);
            if (value < 0)
                return false;
            bits = bits << 6 | static_cast<unsigned>(value);
            held += 6;
            if (held >= 8) {
                held -= 8;
                bytes[n++] = static_cast<unsigned char>(bits >> held);
            }
        }
    } else {
        for (size_t i = 0; i < length; ++i) {
            if (text[i] == '_') {
                bytes[n++] = ' ';
            } else if (text[i] == '=' && i + 2 < length && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
                bytes[n++] = static_cast<unsigned char>(HexValue(text[i + 1]) << 4 | HexValue(text[i + 2]));
                i += 2;
            } else {
                bytes[n++] = static_cast<unsigned char>(text[i]);
            }
        }
    }
    *count = n;
    return true;
}

class Output {
public:
    Output(char* out, size_t size) : out_(out), room_(size - 1) {}
    // A character of one or two bytes, or nothing when it does not fit whole.
    void Put(unsigned char first, int second = -1)
    {
        size_t need = second < 0 ? 1 : 2;
        if (full_ || used_ + need > room_) {
            full_ = true;
            return;
        }
        out_[used_++] = static_cast<char>(first);
        if (second >= 0)
            out_[used_++] = static_cast<char>(second);
    }
    void End() { out_[used_] = '\0'; }

private:
    char* out_;
    size_t room_;
    size_t used_ = 0;
    bool full_ = false;
};

// ISO-2022-JP: ASCII, JIS X 0208 in pairs after ESC $ B (or ESC $ @), half-width katakana after
// ESC ( I.
void PutJis(const unsigned char* bytes, size_t count, Output& out)
{
    enum { Ascii, Double, Kana } mode = Ascii;
    for (size_t i = 0; i < count; ++i) {
        unsigned char c = bytes[i];
        if (c == 0x1B && i + 2 < count) {
            if (bytes[i + 1] == '$' && (bytes[i + 2] == 'B' || bytes[i + 2] == '@'))
                mode = Double;
            else if (bytes[i + 1] == '(' && bytes[i + 2] == 'I')
                mode = Kana;
            else if (bytes[i + 1] == '(')
                mode = Ascii;
            i += 2;
        } else if (mode == Double && i + 1 < count && c >= 0x21 && c <= 0x7E && bytes[i + 1] >= 0x21 &&
                   bytes[i + 1] <= 0x7E) {
            unsigned j1 = c, j2 = bytes[++i];
            unsigned s1 = (j1 + 1) / 2 + (j1 <= 0x5E ? 0x70 : 0xB0);
            unsigned s2 = (j1 & 1) ? j2 + (j2 >= 0x60 ? 0x20 : 0x1F) : j2 + 0x7E;
            out.Put(static_cast<unsigned char>(s1), static_cast<int>(s2));
        } else if (mode == Kana && c >= 0x21 && c <= 0x5F) {
            out.Put(static_cast<unsigned char>(c + 0x80));
        } else {
            out.Put(c);
        }
    }
}

void PutShiftJis(const unsigned char* bytes, size_t count, Output& out)
{
    for (size_t i = 0; i < count; ++i) {
        if (IsShiftJisLeadByte(bytes[i]) && i + 1 < count) {
            out.Put(bytes[i], bytes[i + 1]);
            ++i;
        } else {
            out.Put(bytes[i]);
        }
    }
}

// An encoded word at text: its length, or 0 when there is none that can be shown.
size_t DecodeWord(const char* text, Output& out)
{
    if (text[0] != '=' || text[1] != '?')
        return 0;
    const char* charset = text + 2;
    const char* mark = std::strchr(charset, '?');
    if (!mark || !mark[1] || mark[2] != '?')
        return 0;
    char encoding = mark[1] >= 'a' ? static_cast<char>(mark[1] - 'a' + 'A') : mark[1];
    const char* word = mark + 3;
    const char* end = std::strstr(word, "?=");
    bool jis = SameNoCase(charset, static_cast<size_t>(mark - charset), "ISO-2022-JP");
    bool sjis = SameNoCase(charset, static_cast<size_t>(mark - charset), "SHIFT_JIS") ||
                SameNoCase(charset, static_cast<size_t>(mark - charset), "CP932");
    if (!end || (encoding != 'B' && encoding != 'Q') || !(jis || sjis))
        return 0;
    unsigned char bytes[256];
    size_t length = static_cast<size_t>(end - word), count = 0;
    if (length > sizeof bytes || !DecodeWordText(encoding, word, length, bytes, &count))
        return 0;
    if (jis)
        PutJis(bytes, count, out);
    else
        PutShiftJis(bytes, count, out);
    return static_cast<size_t>(end + 2 - text);
}

}  // namespace

void DecodeHeaderWords(const char* text, char* out, size_t size)
{
    if (size == 0)
        return;
    Output put(out, size);
    bool afterWord = false;
    for (size_t i = 0; text[i];) {
        if (size_t used = DecodeWord(text + i, put)) {
            i += used;
            afterWord = true;
            continue;
        }
        // Blanks between two encoded words are not part of the text.
        if (afterWord && (text[i] == ' ' || text[i] == '\t')) {
            size_t blanks = i;
            while (text[blanks] == ' ' || text[blanks] == '\t')
                ++blanks;
            char scratch[512];
            Output dry(scratch, sizeof scratch);
            if (DecodeWord(text + blanks, dry)) {
                i = blanks;
                continue;
            }
        }
        afterWord = false;
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsShiftJisLeadByte(c) && text[i + 1]) {
            put.Put(c, static_cast<unsigned char>(text[i + 1]));
            i += 2;
        } else {
            put.Put(c);
            ++i;
        }
    }
    put.End();
}
