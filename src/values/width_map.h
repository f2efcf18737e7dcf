// Half-width <-> full-width forms of code page 932, for "hankaku" and
// "zenkaku".
//
// ASCII (the space included) and half-width katakana, with its punctuation
// and sound marks, convert both ways; a half-width katakana followed by a
// voiced or semi-voiced mark becomes one full-width character and back
// (ｶﾞ <-> ガ, ﾊﾟ <-> パ, ｳﾞ <-> ヴ).  Everything else, hiragana included,
// passes unchanged.  The text ends at its first zero byte.
#pragma once

#include <string>
#include <string_view>

namespace vendrix {

enum class WidthDirection { kHalf, kFull };

std::string MapWidth(std::string_view text, WidthDirection direction);

}  // namespace vendrix
