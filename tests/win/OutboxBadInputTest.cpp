// The outbox scan against broken mailbox files: each case has one clear outcome, and no message
// text is ever lost.
#include "FakeHost.h"
#include "plugin/Globals.h"
#include "plugin/Outbox.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string Held = "AAAAAAAAAAAAAAAA";  // flag word 0: held, examined
const std::string Due = "X-Reserve-Date: 100\n";

class OutboxBadInputTest : public ::testing::Test {
protected:
    std::string Released(const std::string& account, const std::string& name)
    {
        return FakeHost::ReleaseMarks(account + "\\Outbox.box\\" + name);
    }
    std::string Path(const std::string& name) { return host.root + "Account1\\Outbox.box\\" + name + ".qpm"; }

    FakeHost host;
    ReleaseRules& ScanRules = host.rules;
};

TEST_F(OutboxBadInputTest, BrokenIndexesReleaseOnlyWhatTheirWholeLinesName)
{
    host.Write("Account1\\Outbox.box\\a.qpm", Due + "\nbody");
    host.Write("Account1\\Outbox.box\\b.qpm", Due + "\nbody");
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>(i * 7 % 256 == '\n' ? 0 : i * 7 % 256);
    for (const std::string& index : {std::string(), binary, "a=" + Held + ":no line end", std::string(1, '\0') + "\na=" + Held + "\n",
                                    "NUL=" + Held + "\ncom1.x=" + Held + "\n"}) {
        SCOPED_TRACE(index.size());
        host.Write("Account1\\Outbox.box\\Entry.lst", index);
        EXPECT_FALSE(host.Scan(ScanRules));
        EXPECT_EQ(host.JoinedMarks(), "");
    }
    EXPECT_EQ(host.Read("Account1\\Outbox.box\\a.qpm"), Due + "\nbody");

    // 100 KB lines: the beginning counts, the rest of the line is dropped and never read as lines
    // of its own.
    std::string longTail(100 * 1024, 'x');
    host.Write("Account1\\Outbox.box\\Entry.lst", std::string(100 * 1024, 'n') + "=" + Held + "\r\n" + "a=" + Held +
                                                    longTail + "\nzzz" + longTail + "\nb=" + Held + ":" + longTail +
                                                    "b=" + Held + "\n");
    EXPECT_TRUE(host.Scan(ScanRules));
    EXPECT_EQ(host.JoinedMarks(), Released("Account1", "a") + "|" + Released("Account1", "b"));
}

TEST_F(OutboxBadInputTest, MessageFilesThatCannotBeReadWaitAndThoseThatCannotBeWrittenGoUnchanged)
{
    std::string index;
    for (const char* name : {"missing", "locked", "readonly", "empty"})
        index += std::string(name) + "=" + Held + "\n";
    host.Write("Account1\\Outbox.box\\Entry.lst", index);
    host.Write("Account1\\Outbox.box\\locked.qpm", Due + "\nlocked body");
    host.Write("Account1\\Outbox.box\\readonly.qpm", Due + "\nread-only body");
    host.Write("Account1\\Outbox.box\\empty.qpm", "");
    SetFileAttributesA(Path("readonly").c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE lock = CreateFileA(Path("locked").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);

    // The read-only message goes either as it is (Windows refuses to write it) or rewritten (Wine
    // lets root write it). The locked one waits.
    EXPECT_TRUE(host.Scan(ScanRules));
    EXPECT_EQ(host.JoinedMarks(), Released("Account1", "readonly"));
    std::string readOnly = host.Read("Account1\\Outbox.box\\readonly.qpm");
    EXPECT_TRUE(readOnly == Due + "\nread-only body" || readOnly == "\r\nread-only body") << readOnly;
    CloseHandle(lock);
    EXPECT_EQ(host.Read("Account1\\Outbox.box\\locked.qpm"), Due + "\nlocked body");

    // Once the other handle is gone, the next scan takes it.
    host.marks.clear();
    SetFileAttributesA(Path("readonly").c_str(), FILE_ATTRIBUTE_NORMAL);
    host.Write("Account1\\Outbox.box\\Entry.lst", "locked=" + Held + "\n");
    EXPECT_TRUE(host.Scan(ScanRules));
    EXPECT_EQ(host.JoinedMarks(), Released("Account1", "locked"));
    EXPECT_EQ(host.Read("Account1\\Outbox.box\\locked.qpm"), "\r\nlocked body");
    EXPECT_EQ(host.Read("Account1\\Outbox.box\\empty.qpm"), "");
}

TEST_F(OutboxBadInputTest, OddHeadersKeepEveryByte)
{
    const std::string nul("\0", 1);
    struct Case {
        const char* name;
        std::string before, after;
    } const cases[] = {
        // No empty line: all of it is header; a last line without LF stays as it is.
        {"noEnd", "To: b\n" + Due + "Subject: s\n", "To: b\r\nSubject: s\r\n"},
        {"noEndNoFeed", "To: b\n" + Due + "Subject: s", "To: b\r\nSubject: s"},
        // NUL bytes inside lines and in the body go through untouched.
        {"nulBytes", Due + "Subject: a" + nul + "b\n\nbody" + nul + "with" + nul + "nul",
         "Subject: a" + nul + "b\r\n\r\nbody" + nul + "with" + nul + "nul"},
        // A lone CR ends a header line as LF does, in the whole file or in the header alone.
        {"crOnly", "X-Reserve-Date: 100\rFrom: f\rTo: t\rSubject: s\r\rbody 1\rbody 2\r",
         "From: f\r\nTo: t\r\nSubject: s\r\n\r\nbody 1\rbody 2\r"},
        {"crHeader", "X-Reserve-Date: 100\rFrom: f\rTo: t\rSubject: s\r\r\nbody 1\r\nbody 2\r\n",
         "From: f\r\nTo: t\r\nSubject: s\r\n\r\nbody 1\r\nbody 2\r\n"},
        // A folded reservation is read and dropped whole.
        {"folded", "X-Reserve-Date:\r\n 100\r\nTo: t\r\n\r\nbody", "To: t\r\n\r\nbody"},
        // A line that begins with NUL is a header line, as the rewrite reads it.
        {"nulFirst", "Subject: a\n" + nul + "junk\n" + Due + "\nbody", "Subject: a\r\n" + nul + "junk\r\n\r\nbody"},
    };
    std::string index;
    for (const Case& c : cases) {
        index += std::string(c.name) + "=" + Held + "\n";
        host.Write(std::string("Account1\\Outbox.box\\") + c.name + ".qpm", c.before);
    }
    host.Write("Account1\\Outbox.box\\Entry.lst", index);

    EXPECT_TRUE(host.Scan(ScanRules));
    std::string released;
    for (const Case& c : cases)
        released += (released.empty() ? "" : "|") + Released("Account1", c.name);
    EXPECT_EQ(host.JoinedMarks(), released);
    for (const Case& c : cases)
        EXPECT_EQ(host.Read(std::string("Account1\\Outbox.box\\") + c.name + ".qpm"), c.after) << c.name;
}

// An account folder that goes away while the scan runs (the host deleting an account) is passed
// over; the accounts before and after it are released.
TEST_F(OutboxBadInputTest, AnAccountFolderVanishingDuringTheScanIsPassedOver)
{
    for (const char* account : {"Account1", "Account2", "Account3"}) {
        host.Write(std::string(account) + "\\Outbox.box\\Entry.lst", "m=" + Held + "\n");
        host.Write(std::string(account) + "\\Outbox.box\\m.qpm", Due + "\nbody");
    }
    host.onMark = [this](const char* id) {
        if (std::string(id) != "Account1\\Outbox.box\\m")
            return;
        std::string box = host.root + "Account2\\Outbox.box";
        DeleteFileA((box + "\\Entry.lst").c_str());
        DeleteFileA((box + "\\m.qpm").c_str());
        RemoveDirectoryA(box.c_str());
        RemoveDirectoryA((host.root + "Account2").c_str());
    };
    EXPECT_TRUE(host.Scan(ScanRules));
    host.onMark = nullptr;
    EXPECT_EQ(GetFileAttributesA((host.root + "Account2").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(host.JoinedMarks(), Released("Account1", "m") + "|" + Released("Account3", "m"));
    EXPECT_EQ(host.Read("Account3\\Outbox.box\\m.qpm"), "\r\nbody");
}

}  // namespace
