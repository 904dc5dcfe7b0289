// ld's PE script puts the static constructor list right after the last code and glue sections
// without aligning it. Code built for size ends at any byte, and a list that starts at an odd
// address gets padding between its first word and the constructors, which the start-up code
// then calls. Four aligned bytes in the glue section, the last input before the list, make the
// list start on a 4-byte boundary whatever code precedes it.
__attribute__((section(".glue_7"), used, aligned(4))) static const char ConstructorListAlignment[4] = {};
