#include "codec/libjpeg_setup.h"

namespace korvo {
namespace {

[[noreturn]] void leave(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<SilentErrors*>(cinfo->err)->escape, 1);
}

void dropMessage(j_common_ptr) {}

// Level -1 is a warning (corrupt data, a premature end); higher levels are traces.
void countWarning(j_common_ptr cinfo, int level) {
    if (level < 0)
        ++reinterpret_cast<SilentErrors*>(cinfo->err)->warnings;
}

}  // namespace

void useSilentErrors(jpeg_common_struct* cinfo, SilentErrors& errors) {
    cinfo->err = jpeg_std_error(&errors.base);
    errors.base.error_exit = leave;
    errors.base.output_message = dropMessage;
    errors.base.emit_message = countWarning;
    errors.warnings = 0;
}

void setFrameParameters(jpeg_compress_struct& cinfo, int width, int height, int components,
                        J_COLOR_SPACE colorSpace, int quality) {
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = colorSpace;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, FALSE);
}

}  // namespace korvo
