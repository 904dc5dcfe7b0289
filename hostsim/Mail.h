#pragma once
// The host's mail side: send windows and the mailbox (Account folders, outbox index, messages).

#include "../contract/Quillpost.h"

#include <string>

// Scenario actions of the send windows and the mailbox; false when verb is not one of them.
bool RunMailAction(const std::string& verb, const std::string& line);

// Header text of a send window (host-owned), and its replacement.
const char* SendWindowHeader(HWND window);
bool SetSendWindowHeader(HWND window, const char* text);

// Stores a message in the account's outbox, queued for the next send; returns its path.
std::string StoreOutboxMessage(const std::string& account, const std::string& text, const std::string& subject);
// The send command: every entry with all release bits set leaves the outbox. A receive sends
// this way too, without logging a command of its own.
void SendReleased(bool asCommand = true);
// Logs every outbox entry with its flag word.
void LogOutbox();

// The host holds a message file of the outbox open ("Account1", "00000001"), as while it shows
// it: sharing reading and writing, or nothing. False when it cannot be opened.
bool HoldOutboxMessage(const std::string& account, const std::string& name, bool shareReadWrite);
// Closes every message file the host holds open.
void ReleaseHeldMessages();

// Turns flag bits of an outbox entry ("Account\Outbox.box\name") on or off in its index.
bool MarkOutboxEntry(const char* name, unsigned long mask, bool on);

