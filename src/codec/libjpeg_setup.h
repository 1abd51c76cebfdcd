// The libjpeg set-up every encode and decode of the program shares, and that tests and
// benchmarks use for their yardsticks: an error manager that prints nothing and never
// ends the process, and the frame parameters.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdio>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace korvo {

// libjpeg reports through this: messages are dropped, warnings counted, and a fatal
// error jumps back to the setjmp on `escape` instead of calling exit().
struct SilentErrors {
    jpeg_error_mgr base;  // first, so that cinfo->err can be cast back
    std::jmp_buf escape;
    int warnings = 0;
};

// Points the compressor's or decompressor's error handling at `errors`. The caller
// sets the escape with setjmp(errors.escape) before the first libjpeg call that may
// fail, and destroys the object when it returns there.
void useSilentErrors(jpeg_common_struct* cinfo, SilentErrors& errors);

// The parameters of a frame: libjpeg's defaults for the colour space, the quality, all
// tables written.
void setFrameParameters(jpeg_compress_struct& cinfo, int width, int height, int components,
                        J_COLOR_SPACE colorSpace, int quality);

}  // namespace korvo
