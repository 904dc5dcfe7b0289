#include "TextBuffer.h"

#include <cstdlib>
#include <cstring>

TextBuffer::TextBuffer(const TextBuffer& other)
{
    Append(other.c_str(), other.size());
    failed_ = failed_ || other.failed_;
}

TextBuffer& TextBuffer::operator=(const TextBuffer& other)
{
    if (this != &other) {
        Assign(other.c_str(), other.size());
        failed_ = failed_ || other.failed_;
    }
    return *this;
}

TextBuffer::TextBuffer(TextBuffer&& other) noexcept
    : data_(other.data_), size_(other.size_), capacity_(other.capacity_), failed_(other.failed_)
{
    other.data_ = nullptr;
    other.size_ = other.capacity_ = 0;
    other.failed_ = false;
}

TextBuffer& TextBuffer::operator=(TextBuffer&& other) noexcept
{
    if (this != &other) {
        std::free(data_);
        data_ = other.data_;
        size_ = other.size_;
        capacity_ = other.capacity_;
        failed_ = other.failed_;
        other.data_ = nullptr;
        other.size_ = other.capacity_ = 0;
        other.failed_ = false;
    }
    return *this;
}

TextBuffer::~TextBuffer()
{
    std::free(data_);
}

bool TextBuffer::Reserve(size_t length)
{
    if (length < capacity_)
        return true;
    if (length >= static_cast<size_t>(-1) / 2) {
        failed_ = true;
        return false;
    }
    size_t capacity = capacity_ ? capacity_ : 32;
    while (capacity <= length)
        capacity *= 2;
    char* grown = static_cast<char*>(std::realloc(data_, capacity));
    if (!grown) {
        failed_ = true;
        return false;
    }
    data_ = grown;
    capacity_ = capacity;
    return true;
}

void TextBuffer::Append(const char* text, size_t length)
{
    if (length == 0)
        return;
    if (length > static_cast<size_t>(-1) / 2 - size_) {
        failed_ = true;
        return;
    }
    // The text may lie inside this buffer; keep its place across a move of the block.
    bool inside = data_ && text >= data_ && text <= data_ + size_;
    size_t offset = inside ? static_cast<size_t>(text - data_) : 0;
    if (!Reserve(size_ + length))
        return;
    if (inside)
        text = data_ + offset;
    std::memmove(data_ + size_, text, length);
    size_ += length;
    data_[size_] = '\0';
}

TextBuffer& TextBuffer::operator+=(const TextBuffer& text)
{
    const bool operandFailed = text.failed_;  // read first: the operand may be this text
    Append(text.c_str(), text.size());
    failed_ = failed_ || operandFailed;
    return *this;
}

void TextBuffer::Append(const char* text)
{
    if (text)
        Append(text, std::strlen(text));
}

void TextBuffer::Assign(const char* text, size_t length)
{
    if (text && data_ && text >= data_ && text <= data_ + size_) {
        // A piece of this very text: move it to the front.
        std::memmove(data_, text, length);
        Truncate(length);
        return;
    }
    Truncate(0);
    Append(text, length);
}

void TextBuffer::Assign(const char* text)
{
    Assign(text, text ? std::strlen(text) : 0);
}

char* TextBuffer::WritableOfLength(size_t length)
{
    Truncate(0);
    if (!Reserve(length))
        return nullptr;
    std::memset(data_, 0, length + 1);
    size_ = length;
    return data_;
}

void TextBuffer::Truncate(size_t length)
{
    if (length < size_) {
        size_ = length;
        data_[size_] = '\0';
    }
}

void AppendDecimal(TextBuffer& out, unsigned long long value, int minimumDigits)
{
    char digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value || count < minimumDigits);
    while (count)
        out += digits[--count];
}
