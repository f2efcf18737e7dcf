// Letter case of the two-byte characters of code page 932.
//
// Full-width Latin, Greek, Cyrillic letters and Roman numerals have case
// partners, as the ANSI case calls of the code page know them.  A code is
// lead byte * 256 + trail byte; codes without a partner come back unchanged.
#pragma once

namespace vendrix::cp932 {

int UpperCode(int code);
int LowerCode(int code);

}  // namespace vendrix::cp932
