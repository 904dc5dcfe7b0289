#pragma once
// The messages a rewrite left written over in part and held back. Kept until the library is
// unloaded: a clean-up and a new start-up in the same process must not try them again while the
// text kept beside one is there.

#include <cstdint>

struct DamagedMessage {
    uint32_t id;    // a digest of its id
    char kept[2];   // the last two characters of the kept file's name; "" for an unused slot
    uint64_t text;  // the digest of the message as the failure left it
};

// What the outbox scan keeps from one scanner to the next, for the whole process: the last eight
// messages held back as damaged, and whether a scan is under way, which every scanner asks (a
// host's mark may let in the tick of the object a new start-up made while the ended one's scan
// still releases a message).
struct ScanKept {
    DamagedMessage damaged[8];
    int damagedCount;
    bool scanning;
};
