// aubio, loaded the first time beats are looked for rather than linked: its packaged build
// brings a hundred libraries (a whole media framework for its file readers, unused here)
// whose loading and symbol lookups took a third of the editor's start.
#pragma once

// The peak picker and the beat tracker are among aubio's parts it does not promise to keep as
// they are; the packaged 0.4 series has them as used here.
#define AUBIO_UNSTABLE 1
#include <aubio/aubio.h>

namespace lumivox {

// The aubio functions the beat analysis calls.
#define LUMIVOX_AUBIO_FUNCTIONS(X)                                                                 \
    X(new_fvec)                                                                                    \
    X(del_fvec)                                                                                    \
    X(new_cvec)                                                                                    \
    X(del_cvec)                                                                                    \
    X(cvec_logmag)                                                                                 \
    X(new_aubio_window)                                                                            \
    X(new_aubio_fft)                                                                               \
    X(del_aubio_fft)                                                                               \
    X(aubio_fft_do_complex)                                                                        \
    X(aubio_fft_get_norm)                                                                          \
    X(new_aubio_peakpicker)                                                                        \
    X(del_aubio_peakpicker)                                                                        \
    X(aubio_peakpicker_set_threshold)                                                              \
    X(aubio_peakpicker_do)                                                                         \
    X(aubio_peakpicker_get_thresholded_input)                                                      \
    X(new_aubio_beattracking)                                                                      \
    X(del_aubio_beattracking)                                                                      \
    X(aubio_beattracking_do)

struct TAubioLibrary {
// NOLINTNEXTLINE(bugprone-macro-parentheses): the argument is the member's name.
#define LUMIVOX_AUBIO_MEMBER(name) decltype(&::name) name = nullptr;
    LUMIVOX_AUBIO_FUNCTIONS(LUMIVOX_AUBIO_MEMBER)
#undef LUMIVOX_AUBIO_MEMBER
};

// The library, loaded on first use by any thread and kept for the process; nullptr when it
// cannot be loaded or lacks one of the functions (AubioLoadError then says why).
const TAubioLibrary* AubioLibrary();
const char* AubioLoadError();

} // namespace lumivox
