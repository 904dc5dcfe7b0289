#pragma once
// Reading Shift JIS text by the rules of code page 932, whatever the system's code page: the host
// and the store keep their texts in it, so a byte is read the same on every system. Paths from
// the file system are in the system's code page instead (see PostedMailId). A lead byte
// starts a double-byte character whose trail byte may look like ASCII ('\\' in "表"), so a scan
// for separators, quotes or letters skips the pair.

// The first byte of a double-byte character.
inline bool IsShiftJisLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc);
}

// An ASCII letter in lower case, any other byte as it is (the byte of a double-byte character
// included: callers fold single bytes only).
inline char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
