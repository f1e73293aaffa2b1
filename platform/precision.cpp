// The x87 control word's precision field (bits 8 and 9): 0 is 24 bits, 2 is
// 53 bits, 3 is 64 bits. The same on both systems' GCC.
#include "platform/system.h"

namespace platform {

namespace {

unsigned short ControlWord() {
    unsigned short word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
}

}  // namespace

void UseExtendedPrecision() {
    unsigned short word = ControlWord();
    if ((word & 0x0300) == 0x0300) return;
    word |= 0x0300;
    __asm__ volatile("fldcw %0" : : "m"(word));
}

int ExtendedPrecisionBits() {
    switch ((ControlWord() >> 8) & 3) {
        case 0:
            return 24;
        case 2:
            return 53;
        default:
            return 64;
    }
}

}  // namespace platform
