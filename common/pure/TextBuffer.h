#pragma once
// A growable, always NUL-terminated byte text on the C heap. The settings editor uses it instead
// of std::string: chronset.dll is loaded and freed at every opening, and the C++ library's string
// code would bring its exception support along, whose start-up leaves per-thread records behind in
// the host at each unload. Running out of memory does not throw: the text keeps what it had and
// remembers the failure, so a caller never writes out a shortened text as if it were whole.

#include <cstddef>

class TextBuffer {
public:
    TextBuffer() = default;
    explicit TextBuffer(const char* text) { Append(text); }
    TextBuffer(const TextBuffer& other);
    TextBuffer& operator=(const TextBuffer& other);
    TextBuffer(TextBuffer&& other) noexcept;
    TextBuffer& operator=(TextBuffer&& other) noexcept;
    ~TextBuffer();

    const char* c_str() const { return data_ ? data_ : ""; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    char operator[](size_t i) const { return data_[i]; }
    // True once any growth failed for want of memory.
    bool Failed() const { return failed_; }

    void Append(const char* text, size_t length);
    void Append(const char* text);
    void Append(char c) { Append(&c, 1); }
    TextBuffer& operator+=(const char* text) { Append(text); return *this; }
    TextBuffer& operator+=(char c) { Append(c); return *this; }
    // A failed operand makes this text failed too: it holds a shortened piece.
    TextBuffer& operator+=(const TextBuffer& text);

    // Replaces the text; null counts as empty.
    void Assign(const char* text);
    void Assign(const char* text, size_t length);
    // Room for length bytes plus the NUL, filled with NULs, for an API to write into; then
    // Truncate to what it wrote. Null when memory runs out.
    char* WritableOfLength(size_t length);
    // Shortens the text; never lengthens it.
    void Truncate(size_t length);

private:
    bool Reserve(size_t length);

    char* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;  // bytes allocated, the NUL included
    bool failed_ = false;
};

// value in decimal digits, with leading zeros up to minimumDigits.
void AppendDecimal(TextBuffer& out, unsigned long long value, int minimumDigits = 1);
