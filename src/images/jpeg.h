// JPEG files of images, for CAPTUREJPG and CAPTURESCREENJPG.
#pragma once

#include <string>
#include <string_view>

#include "images/image.h"

namespace vendrix::images {

// The image as a baseline JPEG file (three colour components, libjpeg's
// default settings and chroma subsampling) at a quality limited to 1..100.
// Returns the file's bytes; empty when there is nothing to encode (a side
// of 0 or less, or fewer or more pixels than width * height) or the
// library refuses the image (a side over 65500).
std::string EncodeJpeg(const Image& image, int quality);

// The quality a macro's text asks for: its integer value, with 0 or less
// (or a text that is no number) meaning 80, then kept to its low 8 bits.
// EncodeJpeg limits the result to 1..100.
int JpegQualityFromText(std::string_view text);

}  // namespace vendrix::images
