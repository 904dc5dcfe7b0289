// A header line larger than the 32-bit host could ever hold in memory goes through the rewrite
// whole: nothing of it is held at once, so running out of memory cannot end the mail client.
#include "../../common/pure/MessageRewrite.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

// The message's bytes made up as they are read: prefix, count times fill, suffix.
class MadeUpMessage : public ByteSource {
public:
    MadeUpMessage(std::string prefix, uint64_t count, char fill, std::string suffix)
        : prefix_(std::move(prefix)), count_(count), fill_(fill), suffix_(std::move(suffix))
    {
    }
    uint64_t Size() const { return prefix_.size() + count_ + suffix_.size(); }
    // How many bytes from offset on are the fill: 0 outside it.
    uint64_t FillFrom(uint64_t at) const
    {
        return at >= prefix_.size() && at - prefix_.size() < count_ ? count_ - (at - prefix_.size()) : 0;
    }
    char Fill() const { return fill_; }
    // The byte at offset.
    char At(uint64_t at) const
    {
        if (at < prefix_.size())
            return prefix_[static_cast<size_t>(at)];
        at -= prefix_.size();
        return at < count_ ? fill_ : suffix_[static_cast<size_t>(at - count_)];
    }
    int Read(unsigned char* buffer, int size) override
    {
        int count = 0;
        while (count < size && at_ < Size()) {
            if (at_ >= prefix_.size() && at_ - prefix_.size() < count_) {
                uint64_t left = count_ - (at_ - prefix_.size());
                int run = left < static_cast<uint64_t>(size - count) ? static_cast<int>(left) : size - count;
                std::memset(buffer + count, fill_, static_cast<size_t>(run));
                count += run;
                at_ += static_cast<uint64_t>(run);
            } else {
                buffer[count++] = static_cast<unsigned char>(At(at_++));
            }
        }
        return count;
    }

private:
    std::string prefix_;
    uint64_t count_;
    char fill_;
    std::string suffix_;
    uint64_t at_ = 0;
};

// Compares what is written with the expected message as it comes, keeping none of it.
class Checker : public ByteSink {
public:
    explicit Checker(const MadeUpMessage& expected) : expected_(expected) {}
    bool Write(const void* data, size_t size) override
    {
        const char* bytes = static_cast<const char*>(data);
        size_t i = 0;
        while (i < size && mismatchAt == UINT64_MAX) {
            uint64_t fill = expected_.FillFrom(written);
            if (fill == 0) {
                if (written >= expected_.Size() || bytes[i] != expected_.At(written))
                    mismatchAt = written;
                ++i;
                ++written;
                continue;
            }
            size_t run = fill < size - i ? static_cast<size_t>(fill) : size - i;
            for (size_t k = 0; k < run; ++k) {
                if (bytes[i + k] != expected_.Fill()) {
                    mismatchAt = written + k;
                    break;
                }
            }
            i += run;
            written += run;
        }
        written += size - i;
        return true;
    }
    uint64_t written = 0;
    uint64_t mismatchAt = UINT64_MAX;

private:
    const MadeUpMessage& expected_;
};

constexpr uint64_t Huge = 3000ull * 1024 * 1024;  // more than a 32-bit process's address space

TEST(LongHeaderLineTest, AHeaderLineOfThreeGigabytesComesThroughWhole)
{
    MadeUpMessage message("To: a@b\nX-Long: ", Huge, 'L', "\nX-Reserve-Date: 1\nSubject: s\n\nbody\r\n");
    MadeUpMessage expected("To: a@b\r\nX-Long: ", Huge, 'L', "\r\nSubject: s\r\n\r\nbody\r\n");
    BufferedReader reader(message);
    Checker out(expected);
    ASSERT_TRUE(RewriteMessageText(reader, out, nullptr));
    EXPECT_EQ(out.mismatchAt, UINT64_MAX);
    EXPECT_EQ(out.written, expected.Size());
}

TEST(LongHeaderLineTest, AReservationLineOfThreeGigabytesIsDroppedWhole)
{
    MadeUpMessage message("X-Reserve-Date: 1", Huge, '0', "\nDate: x\n\nbody");
    MadeUpMessage expected("Date: x\r\n\r\nbody", 0, ' ', "");
    BufferedReader reader(message);
    Checker out(expected);
    ASSERT_TRUE(RewriteMessageText(reader, out, nullptr));
    EXPECT_EQ(out.mismatchAt, UINT64_MAX);
    EXPECT_EQ(out.written, expected.Size());
}

}  // namespace
